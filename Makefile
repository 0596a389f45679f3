# Quillet: `make run` builds and starts the tray program, `make test` builds and runs every test,
# `make package` builds a .deb in the build folder.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: setup build run test bench package clean

setup:
	./scripts/setup.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./scripts/run.sh $(BUILD)/src/app/quillet

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 300

package: build
	cmake --build $(BUILD) --target package

bench: build
	./scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
