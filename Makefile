# make build  - the launchers: build/i686/autorun.exe, build/x86_64/autorun.exe
# make test   - the whole test suite, both targets, under Wine
# make demo   - the launcher on the demo disc
# make bench  - the splash picture's load times (i686, under Wine)
# Each first installs what it needs (tools/setup.sh; quick when all is there).

ARCHES := i686 x86_64
BUILD  := build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=MinSizeRel -Wno-dev

.PHONY: all setup build test demo bench clean $(ARCHES:%=launcher-%) $(ARCHES:%=tests-%)

all: build

setup:
	@bash tools/setup.sh

build: setup $(ARCHES:%=launcher-%)

$(ARCHES:%=launcher-%): launcher-%: setup
	@cmake -S . -B $(BUILD)/$* -DCMAKE_TOOLCHAIN_FILE=cmake/$*-w64-mingw32.cmake $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)/$* -j2 -- --no-print-directory

# Each test build makes the demo's disc with make-disc, which runs the shipped
# launcher's checker (or, where 32-bit programs cannot run, the 64-bit one):
# both launcher builds come first.
$(ARCHES:%=tests-%): tests-%: build
	@cmake -S . -B $(BUILD)/tests-$* -DCMAKE_TOOLCHAIN_FILE=cmake/$*-w64-mingw32.cmake \
	  -DMINGW_THREADS=posix -DAUTORUN_TESTS=ON -DAUTORUN_EXE=$(CURDIR)/$(BUILD)/$*/autorun.exe \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)/tests-$* -j2 -- --no-print-directory

# The screen tests run once more on a screen smaller than the dialog.
test: $(ARCHES:%=tests-%)
	@tools/harness.sh tools/run_tests.sh $(ARCHES:%=$(BUILD)/tests-%)
	@AUTORUN_SCREEN=320x240x24 AUTORUN_TESTS_ONLY=^Screen \
	  tools/harness.sh tools/run_tests.sh $(ARCHES:%=$(BUILD)/tests-%)

demo: build
	@tools/harness.sh tools/demo.sh $(BUILD)/i686

# The i686 launcher is the shipped one; its test build carries the benchmark.
bench: tests-i686
	@tools/harness.sh wine $(BUILD)/tests-i686/bench/load_bench.exe

clean:
	rm -rf $(BUILD)
