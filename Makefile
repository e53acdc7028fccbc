# make demo: install what is missing, build, run the demo.
# make test: install what is missing, build, run every test (plain build,
#            then the unit tests again under AddressSanitizer + UBSan, the
#            thread-race tests under ThreadSanitizer, and each fuzz target
#            for half a minute).
# make fuzz: build the fuzz targets with clang and run each for
#            FUZZ_SECONDS (default 300).
# make install-lv2: build, then copy the LV2 bundle into ~/.lv2.
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 300
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build demo install-lv2 test test-plain test-asan test-tsan test-windows test-fuzz fuzz fuzz-build dist clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DVYRTAL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

install-lv2: build
	@mkdir -p $(HOME)/.lv2
	@rm -rf $(HOME)/.lv2/vyrtal.lv2
	@cp -r $(BUILD)/lv2/vyrtal.lv2 $(HOME)/.lv2/
	@echo "install-lv2: $(HOME)/.lv2/vyrtal.lv2"

test: test-plain test-asan test-tsan test-windows test-fuzz

test-plain: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DVYRTAL_WERROR=ON -DVYRTAL_SANITIZE=address -DVYRTAL_BENCH=OFF \
	  -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE no-sanitizer

# Tests labelled tsan exercise several threads at once.
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DVYRTAL_WERROR=ON -DVYRTAL_SANITIZE=thread -DVYRTAL_BENCH=OFF -DVYRTAL_HOST=OFF \
	  -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target tsan_tests
	@cd $(TSAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L tsan --no-tests=ignore

# libFuzzer targets (tests/fuzz), built with clang under AddressSanitizer +
# UBSan. The runs work on a copy of the committed seeds inside $(FUZZ_BUILD).
fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DVYRTAL_WERROR=ON -DVYRTAL_SANITIZE=address -DVYRTAL_FUZZ=ON -DVYRTAL_TESTS=OFF -DVYRTAL_BENCH=OFF \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets

fuzz: fuzz-build
	@tests/fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS) keep

# Half a minute per target from the seeds alone, so a regression shows.
test-fuzz: fuzz-build
	@tests/fuzz/run-fuzzers $(FUZZ_BUILD) 30 fresh

# dist/linux-x86_64/Vyrtal.so, dist/win32/Vyrtal.dll, dist/win64/Vyrtal.dll
# and the LV2 bundle dist/lv2/vyrtal.lv2.
dist: deps
	@JOBS=$(JOBS) scripts/dist dist

# The Windows DLLs under wine, against the Linux build's render.
test-windows: dist
	@tests/windows/run-wine-tests dist build-wintest

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) out dist build-dist-* build-wintest
