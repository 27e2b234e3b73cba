# Thin wrapper over CMake. `make demo` runs the program on the bundled
# example; `make check` builds and runs every test: the optimised build, the
# sanitizer builds, and the Windows build under Wine.
JOBS ?= $(shell nproc)
# Tests mostly wait on the program's fixed pauses, so run many at once.
TEST_JOBS ?= 12
ifeq ($(CI),true)
CONFIGURE_FLAGS += -DQUILLON_WERROR=ON
endif

.PHONY: all build demo windows check check-default check-asan check-tsan bench package lint clean

all: build

build:
	scripts/install-deps
	cmake --preset default $(CONFIGURE_FLAGS)
	cmake --build --preset default -j $(JOBS)

demo: build
	./build/quillon-config examples/scanner.xml

windows:
	scripts/install-deps windows
	cmake --preset windows $(CONFIGURE_FLAGS)
	cmake --build --preset windows -j $(JOBS)

# The optimised build also runs the end-to-end tests against the Windows
# build under Wine.
check-default: windows
	cmake --preset default $(CONFIGURE_FLAGS) -DQUILLON_WINDOWS_TESTS=ON
	cmake --build --preset default -j $(JOBS)
	ctest --preset default -j $(TEST_JOBS)

# A static pattern rule: make skips implicit rules for phony targets.
check-asan check-tsan: check-%:
	scripts/install-deps
	cmake --preset $* $(CONFIGURE_FLAGS)
	cmake --build --preset $* -j $(JOBS)
	ctest --preset $* -j $(TEST_JOBS)

check: check-default check-asan check-tsan

# Formatting of every source file, clang-tidy over the program's own code,
# and a manual page that groff renders without a warning.
PROGRAM_SOURCES = $(wildcard front/*.cpp run/*.cpp progress/*.cpp platform/*_posix.cpp)
lint:
	scripts/install-deps lint
	cmake --preset default $(CONFIGURE_FLAGS)
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')
	clang-tidy -p build --quiet $(PROGRAM_SOURCES)
	@out=$$(groff -ww -z -man doc/quillon-config.1 2>&1); [ -z "$$out" ] || { echo "$$out"; exit 1; }

# Figures beside their floors; see the README for what was measured where.
bench:
	scripts/install-deps bench
	cmake --preset default $(CONFIGURE_FLAGS) -DQUILLON_BENCH=ON
	cmake --build --preset default -j $(JOBS) --target quillon_bench
	./build/quillon_bench --benchmark_min_time=0.5 --benchmark_color=false

# A .tar.gz of the Linux build and a .zip of the Windows build.
package: build windows
	cd build && cpack
	cd build-windows && cpack

clean:
	rm -rf build build-asan build-tsan build-windows
