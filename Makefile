# Entry points for users and CI. The real build is CMake; this file only names the steps.
BUILD ?= build
JOBS ?= 2
PREFIX ?= /usr/local
# Extra settings of the first configure, e.g. -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON.
CMAKE_FLAGS ?=

.PHONY: all programs verdalis test test-asan example example-gis example-protconn bench install clean

# Every program whose libraries are present: verdalis, and the GIS and MPI
# companions (configuring says which are built and which are skipped).
all: programs

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

programs: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target programs

verdalis: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target verdalis

# Stops with what is missing when the build folder $(1) has no tests.
define need_tests
	@grep -q '^VERDALIS_TESTS_CONFIGURED:INTERNAL=ON' $(1)/CMakeCache.txt || \
	  { echo "make test needs GoogleTest: apt-get install libgtest-dev (the build in $(1) has no tests)"; exit 2; }
endef

# A build configured without GoogleTest is configured again first, in case it
# has been installed since.
test: $(BUILD)/CMakeCache.txt
	@grep -q '^VERDALIS_TESTS_CONFIGURED:INTERNAL=ON' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) >/dev/null
	$(call need_tests,$(BUILD))
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure

test-asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVERDALIS_SANITIZE=ON
	$(call need_tests,build-asan)
	cmake --build build-asan -j$(JOBS)
	cd build-asan && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 VERDALIS_DIFF_CASES=120 ctest --output-on-failure

example: verdalis
	bash examples/run_example.sh $(BUILD)/verdalis

# The GIS companions on a bundled polygon layer: verdalis-prep, verdalis,
# verdalis-map (they need GDAL, GEOS and cairo; see docs/gis.md).
example-gis: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target verdalis verdalis-prep verdalis-map
	bash examples/gis/run_example_gis.sh $(BUILD)

# ProtConn of the four regions of a bundled layer, and the change of ECA
# between two scenarios (see docs/protconn.md).
example-protconn: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target verdalis-protconn verdalis-change
	bash examples/protconn/run_example_protconn.sh $(BUILD)

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVERDALIS_BENCH=ON -DVERDALIS_TESTS=OFF
	cmake --build build-bench -j$(JOBS)

install: programs
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) build-asan build-bench
