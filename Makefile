# Quillet: `make run` builds and starts the tray program, `make test` builds and runs every test,
# `make package` builds a .deb in build-package/, a build whose updates come from the package
# manager (no update check of its own).
BUILD ?= build
PACKAGE_BUILD ?= build-package
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

package: setup
	cmake -S . -B $(PACKAGE_BUILD) $(CMAKE_FLAGS) -DQUILLET_UPDATES_FROM_PACKAGE=ON
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cmake --build $(PACKAGE_BUILD) --target package

bench: build
	./scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(PACKAGE_BUILD)

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of
# its own. Leaks of system libraries we cannot free are listed in tests/sanitizer-suppressions.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
check-sanitize: setup
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer-suppressions:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --timeout 900 -E 'package|fuzz'

