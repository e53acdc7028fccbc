# make demo: install what is missing, build, run the demo.
# make test: install what is missing, build, run every test (plain build,
#            then the unit tests again under AddressSanitizer + UBSan, and
#            the thread-race tests under ThreadSanitizer).
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build demo test test-plain test-asan test-tsan test-windows dist clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DVYRTAL_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

test: test-plain test-asan test-tsan test-windows

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

# dist/linux-x86_64/Vyrtal.so, dist/win32/Vyrtal.dll and dist/win64/Vyrtal.dll.
dist: deps
	@JOBS=$(JOBS) scripts/dist dist

# The Windows DLLs under wine, against the Linux build's render.
test-windows: dist
	@tests/windows/run-wine-tests dist build-wintest

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) out dist build-dist-* build-wintest
