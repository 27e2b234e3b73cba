# Thin wrapper over CMake. `make demo` runs the program on the bundled
# example; `make check` builds and runs every test: the optimised build, the
# sanitizer builds, and both Windows builds under Wine.
JOBS ?= $(shell nproc)
ifeq ($(CI),true)
CONFIGURE_FLAGS += -DQUILLON_WERROR=ON
endif

.PHONY: all build demo windows check check-default check-asan check-tsan check-windows bench package lint clean

all: build

build:
	scripts/install-deps
	cmake --preset default $(CONFIGURE_FLAGS)
	cmake --build --preset default -j $(JOBS)

demo: build
	./build/quillon-config examples/scanner.xml

# Both Windows builds: x86-64, and x86 for a 32-bit engine.
windows:
	scripts/install-deps windows
	cmake --preset windows $(CONFIGURE_FLAGS)
	cmake --build --preset windows -j $(JOBS)
	cmake --preset windows-x86 $(CONFIGURE_FLAGS)
	cmake --build --preset windows-x86 -j $(JOBS)

# The test presets set how many tests run at once: most of them wait on the
# program's fixed pauses.
check-default: build
	ctest --preset default

# A static pattern rule: make skips implicit rules for phony targets.
check-asan check-tsan: check-%:
	scripts/install-deps
	cmake --preset $* $(CONFIGURE_FLAGS)
	cmake --build --preset $* -j $(JOBS)
	ctest --preset $*

# The Windows test set rebuilds both Windows builds before it runs them.
check-windows: windows
	cmake --preset wine $(CONFIGURE_FLAGS)
	cmake --build --preset wine -j $(JOBS)
	ctest --preset wine

check: check-default check-asan check-tsan check-windows

# Formatting of every source file, clang-tidy over the program's own code
# (the Windows files with the mingw-w64 target and its headers), and a
# manual page that groff renders without a warning.
PROGRAM_SOURCES = $(filter-out %_win32.cpp,$(wildcard front/*.cpp output/*.cpp run/*.cpp progress/*.cpp platform/*.cpp))
WINDOWS_SOURCES = $(wildcard front/*_win32.cpp platform/*_win32.cpp)
# -Wuseless-cast is gcc's alone. One file a run: clang-tidy 14's analyzer
# misreads a va_list in a file that is not the first of its run.
TIDY_FLAGS = --quiet --extra-arg=-Wno-unknown-warning-option
MINGW_TIDY_FLAGS = --extra-arg=--target=x86_64-w64-mingw32 \
  $(foreach dir,$(shell scripts/mingw-include-dirs),--extra-arg=-isystem$(dir))
lint: windows
	scripts/install-deps lint
	cmake --preset default $(CONFIGURE_FLAGS)
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')
	echo $(PROGRAM_SOURCES) | xargs -n 1 -P $(JOBS) clang-tidy -p build $(TIDY_FLAGS)
	echo $(WINDOWS_SOURCES) | xargs -n 1 -P $(JOBS) clang-tidy -p build-windows $(TIDY_FLAGS) $(MINGW_TIDY_FLAGS)
	@out=$$(groff -ww -z -man build/quillon-config.1 2>&1); [ -z "$$out" ] || { echo "$$out"; exit 1; }

# Figures beside their floors; see the README for what was measured where.
bench:
	scripts/install-deps bench
	cmake --preset default $(CONFIGURE_FLAGS) -DQUILLON_BENCH=ON
	cmake --build --preset default -j $(JOBS) --target quillon_bench
	./build/quillon_bench --benchmark_min_time=0.5

# A .tar.gz of the Linux build and a .zip of each Windows build.
package: build windows
	cd build && cpack
	cd build-windows && cpack
	cd build-windows-x86 && cpack

clean:
	rm -rf build build-asan build-tsan build-windows build-windows-x86 build-wine
