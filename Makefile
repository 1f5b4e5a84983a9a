# SPDX-License-Identifier: MIT
# Thin wrapper around CMake.
#   make run    builds the tool alone (no tests, no GoogleTest needed) and
#               resizes the bundled example
#   make build  builds the library and the tool
#   make test   builds everything with the tests and runs them (needs GoogleTest)
# BUILD, JOBS, PERCENT and CMAKE_FLAGS can be overridden.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
PERCENT ?= 50
EXAMPLE := examples/landscape.bmp
RESULT := $(BUILD)/landscape-$(PERCENT).bmp

# A new build folder starts without the tests; `make test` switches them on,
# and then they stay on in that folder.
TESTS_FLAG := $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DBMPRESIZE_TESTS=OFF)

.PHONY: all configure build test run clean

all: build

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(TESTS_FLAG) $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS) --target bmpresize_compat bmpresize_shared bmpresize_static bmpresize -- --no-print-directory

# The corpus tests need the BMP test suite and the real-world files, which
# live outside the clone; without them they are skipped, and the last lines
# say so.
test:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBMPRESIZE_TESTS=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory
	@status=0; ctest --test-dir $(BUILD) --output-on-failure --timeout 300 -j $(JOBS) || status=$$?; \
	corpus=$$(sed -n 's/^BMPRESIZE_CORPUS_DIR:PATH=//p' $(BUILD)/CMakeCache.txt); \
	if [ ! -d "$$corpus" ]; then \
	  echo "Note: the corpus tests were SKIPPED: no BMP test suite at $$corpus."; \
	  echo "      Run them with: make test CMAKE_FLAGS=-DBMPRESIZE_CORPUS_DIR=/path/to/bmpsuite"; \
	fi; \
	realworld=$$(sed -n 's/^BMPRESIZE_REALWORLD_DIR:PATH=//p' $(BUILD)/CMakeCache.txt); \
	if [ ! -d "$$realworld" ]; then \
	  echo "Note: the real-world file tests were SKIPPED: no folder at $$realworld."; \
	  echo "      Run them with: make test CMAKE_FLAGS=-DBMPRESIZE_REALWORLD_DIR=/path/to/realworld"; \
	fi; \
	python=$$(sed -n 's/^Python tests skipped: /Note: the Python record test was SKIPPED: /p' \
	  $(BUILD)/Testing/Temporary/LastTest.log 2>/dev/null | head -n 1); \
	if [ -n "$$python" ]; then echo "$$python"; fi; \
	exit $$status

run: configure
	cmake --build $(BUILD) -j $(JOBS) --target bmpresize -- --no-print-directory
	$(BUILD)/bmpresize $(EXAMPLE) $(RESULT) $(PERCENT)
	@echo "Resized $(EXAMPLE) to $(PERCENT) %: the result is $(RESULT)"

clean:
	rm -rf $(BUILD)
