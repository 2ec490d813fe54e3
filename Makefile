# Ardelle - the two set-up commands are `make run` and `make test`.
SHELL := /bin/bash
DEV_BUILD := build/dev
DEMO_CARD := build/demo-card
CLI := $(DEV_BUILD)/src/cli/ardelle-cli
GENERATOR := $(DEV_BUILD)/tools/sample_card/ardelle-sample-card
FORMAT_FILES = git ls-files -co --exclude-standard -- '*.cpp' '*.h' '*.hpp' '*.cc'

.PHONY: all deps build run show-card test format format-check test-dev test-asan test-tsan bench demo-card fuzz fuzz-merge

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset dev
	cmake --build --preset dev

# The demo card is made once (delete build/demo-card to make it anew).
demo-card: build
	@if [ ! -f $(DEMO_CARD)/.complete ]; then \
	  echo "making the demo card in $(DEMO_CARD) ..."; \
	  rm -rf $(DEMO_CARD).tmp && \
	  $(GENERATOR) $(DEMO_CARD).tmp --front 1280x720 --rear 640x360 --seconds 10 && \
	  touch $(DEMO_CARD).tmp/.complete && rm -rf $(DEMO_CARD) && mv $(DEMO_CARD).tmp $(DEMO_CARD); \
	fi

# The viewer on the demo card (a scripted tour with screenshots where there is no display).
run: demo-card
	@scripts/run-viewer $(DEV_BUILD)/src/app/ardelle $(DEMO_CARD) build/screenshots

# What the catalogue makes of the demo card, through the headless CLI.
show-card: demo-card
	@scripts/show-card $(CLI) $(DEMO_CARD)

format-check:
	@files=$$($(FORMAT_FILES)); [ -z "$$files" ] || clang-format --dry-run --Werror $$files
	@echo "format: clean"

format:
	@files=$$($(FORMAT_FILES)); [ -z "$$files" ] || clang-format -i $$files

test-dev: build
	ctest --preset dev

test-asan: build
	cmake --preset asan-ubsan
	cmake --build --preset asan-ubsan
	ctest --preset asan-ubsan

# The playback engine's threads (bus watcher, streaming threads, telemetry read-ahead) and the
# connectivity prober's probe and update-check threads.
test-tsan: build
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

test: deps format-check test-dev test-asan test-tsan

bench: deps
	cmake --preset release -DARDELLE_BUILD_BENCH=ON
	cmake --build --preset release
	@for b in build/release/bench/*-bench; do [ -x "$$b" ] && "$$b"; done; true

# Each fuzzer runs FUZZ_SECONDS with FUZZ_JOBS processes (one per processor by default),
# starting from the minimised corpora in fuzz/corpus/; `make fuzz-merge` folds what the
# campaigns found (build/fuzz/corpus/) back into them.
FUZZ_SECONDS ?= 800
FUZZ_JOBS ?= $(shell nproc)
fuzz: build
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz $(FUZZ_SECONDS) $(FUZZ_JOBS)

fuzz-merge:
	scripts/fuzz --merge
