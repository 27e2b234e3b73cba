# Thin wrapper over CMake. `make demo` runs the program on the bundled
# example; `make check` builds and runs every test, sanitizer builds included.
JOBS ?= $(shell nproc)
# Tests mostly wait on the program's fixed pauses, so run many at once.
TEST_JOBS ?= 12
ifeq ($(CI),true)
CONFIGURE_FLAGS += -DQUILLON_WERROR=ON
endif

.PHONY: all build demo check check-default check-asan check-tsan deps clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake --preset default $(CONFIGURE_FLAGS)
	cmake --build --preset default -j $(JOBS)

demo: build
	./build/quillon-config examples/scanner.xml

# A static pattern rule: make skips implicit rules for phony targets.
check-default check-asan check-tsan: check-%: deps
	cmake --preset $* $(CONFIGURE_FLAGS)
	cmake --build --preset $* -j $(JOBS)
	ctest --preset $* -j $(TEST_JOBS)

check: check-default check-asan check-tsan

clean:
	rm -rf build build-asan build-tsan build-windows
