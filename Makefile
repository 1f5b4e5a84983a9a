# Thin wrapper around CMake: `make run` resizes the bundled example, `make test`
# builds and runs the whole test suite. BUILD, JOBS and PERCENT can be overridden.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
PERCENT ?= 50
EXAMPLE := examples/landscape.bmp
RESULT := $(BUILD)/landscape-$(PERCENT).bmp

.PHONY: all configure build test run clean

all: build

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

test: build
	ctest --test-dir $(BUILD) --output-on-failure --timeout 300 -j $(JOBS)

run: build
	$(BUILD)/bmpresize $(EXAMPLE) $(RESULT) $(PERCENT)
	@echo "Resized $(EXAMPLE) to $(PERCENT) %: the result is $(RESULT)"

clean:
	rm -rf $(BUILD)
