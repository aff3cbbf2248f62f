# Velmora: `make run` builds and opens the sample; `make test` builds and runs every test.
# The other stages CI runs (.ci/run) each have a target of their own, with a build folder
# of their own: asan, tsan, fuzz, tidy, format-check. `make ci` runs them all.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
SAMPLE := tests/data/sample.png
# Seconds each fuzz target runs for `make fuzz` (CI runs them for 30).
FUZZ_SECONDS ?= 180
# The tests the ThreadSanitizer build runs (ctest label), and the targets they need.
TSAN_LABEL := batch
TSAN_TARGETS := tst_BatchRun tst_FileGathering tst_MemoryBudget tst_Cli tst_BatchJob tst_BatchProcessor tst_Strip

.PHONY: all deps configure build test package run screenshots translations bench asan tsan fuzz tidy format format-check ci clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Debian packages (velmora, libvelmora0, libvelmora-dev, python3-velmora) into $(BUILD)/packages.
package: build
	@cd $(BUILD) && cpack -G DEB -B packages

run: build
	@./scripts/run-sample.sh $(BUILD) $(SAMPLE)

# Pictures of the windows under Xvfb for the README and the metainfo (docs/screenshots);
# `make screenshots LANG=de` takes them in that language, into docs/screenshots/de.
ifeq ($(origin LANG),command line)
SHOTS_LANG := $(LANG)
endif
screenshots: build
	@VELMORA_SHOTS_LANG=$(SHOTS_LANG) ./scripts/screenshots.sh $(BUILD) docs/screenshots$(if $(SHOTS_LANG),/$(SHOTS_LANG))

# Brings the translation catalogues (translations/*.ts) up to date with the sources.
translations: configure
	@cmake --build $(BUILD) --target update_translations

bench:
	@./scripts/install-deps.sh bench
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_BENCHMARKS=ON >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)
	@./bench/run-benchmarks.sh $(BUILD)

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan).
asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j$(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j$(JOBS)

# The batch tests under ThreadSanitizer (build-tsan). Qt is not built with it, so the
# sanitizer cannot see the synchronisation inside Qt (QtTest's watchdog thread gives false
# reports): what Qt's own code does is left out, our code is checked.
tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build build-tsan -j$(JOBS) --target $(TSAN_TARGETS)
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$(CURDIR)/scripts/tsan.supp \
		ctest --output-on-failure -L $(TSAN_LABEL)

# Each libFuzzer target for FUZZ_SECONDS from its seed corpus (build-fuzz, clang).
fuzz:
	@./scripts/install-deps.sh ci
	@cmake --preset fuzz >/dev/null
	@cmake --build build-fuzz -j$(JOBS)
	@./scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

# clang-tidy with the checks of .clang-tidy over the sources, findings are errors.
tidy: configure
	@./scripts/install-deps.sh ci
	@./scripts/run-clang-tidy.sh $(BUILD) $(JOBS)

SOURCES = $(shell git ls-files --cached --others --exclude-standard 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp' 'tools/*.h' 'examples/*.cpp' 'include/*.h' 2>/dev/null)

format:
	@clang-format -i $(SOURCES)

format-check:
	@clang-format --dry-run --Werror $(SOURCES)

ci:
	@./.ci/run

clean:
	@rm -rf $(BUILD) build-asan build-tsan build-fuzz
