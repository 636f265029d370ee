# make help to list the targets. Each first installs what it needs
# (cmake/setup.sh; quick when all is there).

SHELL  := /bin/bash
ARCHES := i686 x86_64
BUILD  := build
# Every warning fails the build, here and in CI.
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_CXX_FLAGS=-Werror -Wno-dev

PREFIX ?= /usr/local

.PHONY: all help setup build test test-languages test-big format format-check lint demo bench fuzz install uninstall dist clean check-reproducible $(ARCHES:%=checker-%) $(ARCHES:%=launcher-%) $(ARCHES:%=tests-%)

all: build

help:
	@echo 'make build      the launchers and the disc checkers, build/i686 (shipped) and build/x86_64,'
	@echo '                with the demo product (game, NSIS installer, splash)'
	@echo 'make test       format-check, lint, then the whole test suite, both targets, under Wine'
	@echo '                (what CI runs)'
	@echo 'make test-languages  the disc'"'"'s launcher in each of its languages, each in its locale'
	@echo 'make test-big   make-disc on a folder with a file of 4.5 GiB (4.8 GB of disk for its image)'
	@echo 'make format     lays out every C++ file as .clang-format says'
	@echo 'make format-check  fails, showing where, if make format would change a file'
	@echo 'make lint       clang-tidy over src/ with the i686 build'"'"'s flags (.clang-tidy lists the checks)'
	@echo 'make demo       the demo disc image, played under Wine (headless: the whole story,'
	@echo '                with screenshots in build/demo/, the dialog in each language in'
	@echo '                build/demo/languages/)'
	@echo 'make check-reproducible  builds the commit again in build/reproducible and compares'
	@echo '                every program and the release archives with build/'
	@echo 'make bench      the splash picture'"'"'s load times and the time to a painted splash against'
	@echo '                a minimal dialog program (i686, under Wine)'
	@echo 'make fuzz       the reader over 1,000,000 damaged files (VARIANTS=, SEED=, CHECKS= through'
	@echo '                the disc checker), in-process'
	@echo 'make install    make-disc and make-splash in $$PREFIX/bin, the launcher, the checker and'
	@echo '                what they run in $$PREFIX/share/autorun (PREFIX=$(PREFIX))'
	@echo 'make uninstall  removes exactly what make install put there'
	@echo 'make dist       build/dist/autorun-VERSION.zip and .tar.gz: what make install puts, with'
	@echo '                README, LICENSE, CHANGELOG.md and SHA256SUMS; the same bytes for the same commit'
	@echo 'make setup      installs the Debian packages all of this needs (as root)'
	@echo 'make clean      removes build/'
	@echo 'Tools: tools/make-splash, tools/make-disc, tools/harness/harness.sh (each answers --help)'

setup:
	@bash cmake/setup.sh

build: setup $(ARCHES:%=launcher-%)

# Each build makes the demo's splash with make-splash, which asks the disc
# checker that runs here (the 32-bit one, or the 64-bit one where Wine cannot
# run 32-bit programs) in a harness of its own: both checkers come first, and
# the two builds one after the other, since two harnesses cannot share the
# Wine prefix.
$(ARCHES:%=checker-%): checker-%: setup
	@cmake -S . -B $(BUILD)/$* -DCMAKE_TOOLCHAIN_FILE=cmake/$*-w64-mingw32.cmake $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)/$* -j2 --target autorun-check -- --no-print-directory

$(ARCHES:%=launcher-%): launcher-%: $(ARCHES:%=checker-%)
	@cmake --build $(BUILD)/$* -j2 -- --no-print-directory
launcher-x86_64: launcher-i686

# Each test build makes the demo's disc with make-disc, which runs the shipped
# launcher's checker (or, where 32-bit programs cannot run, the 64-bit one):
# both launcher builds come first.
$(ARCHES:%=tests-%): tests-%: build
	@cmake -S . -B $(BUILD)/tests-$* -DCMAKE_TOOLCHAIN_FILE=cmake/$*-w64-mingw32.cmake \
	  -DMINGW_THREADS=posix -DAUTORUN_TESTS=ON -DAUTORUN_EXE=$(CURDIR)/$(BUILD)/$*/autorun.exe \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)/tests-$* -j2 -- --no-print-directory

# The screen tests run once more on a screen smaller than the dialog. The
# 64-bit suite's Dist test unpacks the release archive.
test: format-check lint $(ARCHES:%=tests-%) dist
	@tools/harness/harness.sh tests/run.sh $(ARCHES:%=$(BUILD)/tests-%)
	@AUTORUN_SCREEN=320x240x24 AUTORUN_TESTS_ONLY=^Screen \
	  tools/harness/harness.sh tests/run.sh $(ARCHES:%=$(BUILD)/tests-%)

# One version of each tool, so that the layout and the findings do not change
# with the machine.
CLANG_FORMAT := clang-format-14
CLANG_TIDY   := clang-tidy-14
CXX_FILES     = $(shell git ls-files '*.cpp' '*.h')

format: setup
	@$(CLANG_FORMAT) -i $(CXX_FILES)

format-check: setup
	@$(CLANG_FORMAT) --dry-run -Werror $(CXX_FILES)

# clang-tidy reads the i686 build's compile commands, cross compiler and all;
# it finds the target's C headers from the compiler's name, but not the
# compiler's C++ headers, which the compiler itself lists.
LINT_CXX      = $(shell sed -n 's/.*"command": "\([^ ]*\) .*/\1/p' $(BUILD)/i686/compile_commands.json | head -1)
LINT_INCLUDES = $(shell echo | $(LINT_CXX) -E -v -x c++ - 2>&1 | sed -n 's|^ \(/.*/include/c++.*\)|--extra-arg=-isystem\1|p')
lint: launcher-i686
	@set -o pipefail; git ls-files 'src/*.cpp' | xargs -P2 -n6 $(CLANG_TIDY) -p $(BUILD)/i686 --quiet \
	  $(LINT_INCLUDES) 2>&1 | sed '/ warnings\? generated\.$$/d'

demo: build
	@tools/harness/harness.sh demo/play.sh $(BUILD)

# The disc's launcher in each of its 21 languages and English, each in its
# locale (make test runs five of them).
test-languages: $(ARCHES:%=tests-%)
	@AUTORUN_TESTS_LABEL=every-language tools/harness/harness.sh tests/run.sh $(ARCHES:%=$(BUILD)/tests-%)

# A file of 4.5 GiB on a disc: its image takes 4.8 GB of disk (not in test).
test-big: build
	@tests/big_file_test.sh $(BUILD)/i686

# The i686 launcher is the shipped one; its test build carries the benchmarks
# (the x86_64 one's where Wine cannot run 32-bit programs).
bench: tests-i686 tests-x86_64
# A goal the loader misses fails it, after the start-up figures too.
	@tools/harness/harness.sh sh -c 'wine $(BUILD)/tests-$$AUTORUN_ARCH/bench/load_bench.exe; met=$$?; \
	  wine $(BUILD)/tests-$$AUTORUN_ARCH/bench/startup_bench.exe && exit $$met'

# The reader's long fuzz run, not in the suite: the suite's damaged files, as
# many as VARIANTS from SEED, CHECKS of them through the disc checker too;
# the shipped 32-bit build where Wine runs it.
VARIANTS ?= 1000000
SEED ?= 1
CHECKS ?= 300
fuzz: tests-i686 tests-x86_64
	@AUTORUN_FUZZ_VARIANTS=$(VARIANTS) AUTORUN_FUZZ_SEED=$(SEED) AUTORUN_FUZZ_CHECKS=$(CHECKS) \
	  tools/harness/harness.sh sh -c 'wine $(BUILD)/tests-$$AUTORUN_ARCH/tests/unit_tests.exe --gtest_filter=Reader.*'

# The commit built once more in a second folder: every program, and the
# release archives made with the commit's date, must come out byte for byte
# as in build/. The demo's NSIS installer is left out (makensis writes the
# time it ran into it).
REPRO := $(BUILD)/reproducible
check-reproducible: build dist
	@[ -z "$$(git status --porcelain --untracked-files=no)" ] || \
	  echo 'check-reproducible: the work tree has changes that are not committed; build/ holds them'
	@rm -rf $(REPRO) && mkdir -p $(REPRO) && git archive HEAD | tar -x -C $(REPRO)
	@$(MAKE) -s -C $(REPRO) build dist SOURCE_DATE_EPOCH=$(EPOCH) >$(REPRO).log 2>&1 || \
	  { cat $(REPRO).log; exit 1; }
	@rc=0; cd $(BUILD) && for f in $(ARCHES:%=%/*.exe) $(ARCHES:%=%/demo/game.exe) dist/*; do \
	  if cmp -s $$f reproducible/build/$$f; then sha256sum $$f; else echo "DIFFERS: $$f"; rc=1; fi; \
	done; exit $$rc

# What an author gets, one list for make install and make dist: FILE:PLACE:MODE,
# PLACE under $PREFIX or in the archive's folder. The tools in bin/; the
# launcher, the checker, the stamp, the demo player (make-disc --preview) and
# the harness they run in under share/autorun/, the 64-bit builds in its
# x86_64/ for machines whose Wine cannot run 32-bit programs, and the version
# the tools answer; the documents in DOCS (the authors' README, not this
# repository's): share/doc/autorun/ installed, the archive's top.
PROGRAMS := autorun.exe autorun-check.exe autorun-stamp.exe play_demo.exe
DOCS      = share/doc/autorun
SHIPPED   = tools/make-disc:bin/make-disc:755 tools/make-splash:bin/make-splash:755 \
  tools/harness/harness.sh:share/autorun/harness.sh:755 VERSION:share/autorun/VERSION:644 \
  $(foreach p,$(PROGRAMS),$(BUILD)/i686/$p:share/autorun/$p:644 $(BUILD)/x86_64/$p:share/autorun/x86_64/$p:644) \
  doc/authors.md:$(DOCS)/README.md:644 $(foreach d,LICENSE CHANGELOG.md,$d:$(DOCS)/$d:644)
# Puts each shipped file in its place under $$root.
SHIP = for f in $(SHIPPED); do IFS=: read -r from to mode <<<"$$f" && \
  install -D -m $$mode "$$from" "$$root/$$to" || exit 1; done

# The version, kept in VERSION alone.
VERSION := $(shell cat VERSION)

install: build
	@root='$(DESTDIR)$(PREFIX)'; $(SHIP); echo "autorun $(VERSION) installed in $$root"

uninstall:
	@root='$(DESTDIR)$(PREFIX)'; for f in $(SHIPPED); do IFS=: read -r from to mode <<<"$$f" && \
	  rm -f "$$root/$$to"; done; rmdir "$$root/share/autorun/x86_64" "$$root/share/autorun" "$$root/$(DOCS)" 2>/dev/null; \
	  echo "autorun removed from $$root"

# The release: the shipped files in autorun-VERSION/ with SHA256SUMS over
# them, as a zip and a tar.gz. The same commit gives the same bytes: names in
# one order, no folder entries in the zip, every date SOURCE_DATE_EPOCH's or
# else the commit's, owners and modes fixed.
DIST  := $(BUILD)/dist
EPOCH  = $(or $(SOURCE_DATE_EPOCH),$(shell git log -1 --format=%ct 2>/dev/null))
dist: DOCS := .
dist: build
	@[ -n "$(EPOCH)" ] || { echo 'dist: no date for the files: set SOURCE_DATE_EPOCH (this is no git checkout)' >&2; exit 1; }
	@name=autorun-$(VERSION) root=$(DIST)/autorun-$(VERSION); rm -rf $(DIST) && $(SHIP) && cd $(DIST) && \
	  (cd $$name && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS && chmod 644 SHA256SUMS) && \
	  find $$name -exec touch -h -d @$(EPOCH) {} + && \
	  find $$name -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D -@ $$name.zip && \
	  tar -c --sort=name --format=gnu --owner=0 --group=0 --numeric-owner --mode=u+rwX,go=rX \
	    --mtime=@$(EPOCH) $$name | gzip -9n >$$name.tar.gz && rm -r $$name && \
	  for f in $$name.zip $$name.tar.gz; do echo "$(DIST)/$$f, $$(stat -c %s $$f) bytes, sha256 $$(sha256sum <$$f | cut -c1-64)"; done

clean:
	rm -rf $(BUILD)
