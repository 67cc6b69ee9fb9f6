# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
BUILD_SAN  ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: run test deps build fuzz clean

deps:
	@./tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/examples/rg7_example
	./$(BUILD)/examples/kt6_example
	./$(BUILD)/examples/format_dialog_example
	./$(BUILD)/examples/source_dialog_example
	./$(BUILD)/examples/twain_sources_example
	./$(BUILD)/examples/acquisition_example
	./$(BUILD)/examples/mci_preview_example

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD_SAN) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=address,undefined
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD_TSAN) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=thread
	cmake --build $(BUILD_TSAN) -j $(JOBS)
	cd $(BUILD_TSAN) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD_FUZZ) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DBUILD_FUZZERS=ON -DBUILD_TESTING_SUITE=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	./tools/run-fuzzers.sh $(BUILD_FUZZ)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_TSAN) $(BUILD_FUZZ)
