# Front door: make deps | build | run | test | bench | dist | clean
SHELL := /bin/bash
NATIVE_DIR := build/native
WINDOWS_DIR := build/windows
STAGE := dist/brightness-control
JOBS ?= $(shell nproc)

.PHONY: all deps build native windows stage run test bench dist format clean

all: build

deps:
	@tools/install-deps.sh

native:
	@cmake --preset native >/dev/null
	@cmake --build $(NATIVE_DIR) -j $(JOBS)

windows:
	@cmake --preset windows >/dev/null
	@cmake --build $(WINDOWS_DIR) -j $(JOBS)

# The runnable program: the utility with scripts/ beside it for the applier.
stage: windows
	@mkdir -p $(STAGE)/scripts
	@cp $(WINDOWS_DIR)/brightness-control.exe $(STAGE)/
	@if [ -f $(WINDOWS_DIR)/brightness.exe ]; then cp $(WINDOWS_DIR)/brightness.exe $(STAGE)/scripts/; fi

build: stage
	@echo "built $(STAGE)/brightness-control.exe"

run: deps build
	@tools/run-under-wine.sh $(STAGE)/brightness-control.exe

test: deps native stage
	@python3 tools/run-tests.py --native $(NATIVE_DIR) --windows $(WINDOWS_DIR) --stage $(STAGE)

bench: deps stage
	@bench/run-benchmarks.sh $(WINDOWS_DIR)

dist: deps stage
	@tools/make-dist.sh $(WINDOWS_DIR)

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.hpp')

clean:
	rm -rf build dist
