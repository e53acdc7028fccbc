# make demo: install what is missing, build, run the demo.
# make test: install what is missing, build, run every test (plain build,
#            then the unit tests again under AddressSanitizer + UBSan).
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build demo test test-plain test-asan clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DVYRTAL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

test: test-plain test-asan

test-plain: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DVYRTAL_WERROR=ON -DVYRTAL_SANITIZE=address -DVYRTAL_BENCH=OFF \
	  -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE no-sanitizer

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) out
