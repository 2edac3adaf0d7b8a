# Entry points for users and CI. The real build is CMake; this file only names the steps.
BUILD ?= build
JOBS ?= 2

.PHONY: all verdalis test test-asan example example-gis bench clean

all: verdalis

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

verdalis: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target verdalis

test: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure

test-asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVERDALIS_SANITIZE=ON
	cmake --build build-asan -j$(JOBS)
	cd build-asan && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 VERDALIS_DIFF_CASES=120 ctest --output-on-failure

example: verdalis
	bash examples/run_example.sh $(BUILD)/verdalis

# The GIS companions on a bundled polygon layer: verdalis-prep, verdalis,
# verdalis-map (they need GDAL, GEOS and cairo; see docs/gis.md).
example-gis: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target verdalis verdalis-prep verdalis-map
	bash examples/gis/run_example_gis.sh $(BUILD)

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVERDALIS_BENCH=ON -DVERDALIS_TESTS=OFF
	cmake --build build-bench -j$(JOBS)

clean:
	rm -rf $(BUILD) build-asan build-bench
