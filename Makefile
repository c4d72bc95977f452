# Entry points for newcomers and CI. Each target installs what it needs first.
JOBS ?= $(shell nproc)

.PHONY: setup build run test test-sanitize fuzz bench install clean

setup:
	bash scripts/setup.sh

# Profile-guided: an instrumented build in build-profile/ runs the training of bench/train.sh, and
# the build in build/ is optimised with what that counted (10-30% faster on bench/). Files that do
# not change keep the optimisation of the counts they were built with.
PROFILE_DIR := $(CURDIR)/build-profile/counts
build: setup
	cmake -S . -B build-profile -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	  -DOSTREL_PROFILE=generate -DOSTREL_PROFILE_DIR=$(PROFILE_DIR) >/dev/null
	cmake --build build-profile --target ostrel -j $(JOBS)
	bash bench/train.sh build-profile/ostrel $(PROFILE_DIR)
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DOSTREL_PROFILE=use -DOSTREL_PROFILE_DIR=$(PROFILE_DIR) >/dev/null
	cmake --build build -j $(JOBS)

run: build
	./build/ostrel run examples/hello.ost

# Both builds: the normal one and one with AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	cd build && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-sanitize

test-sanitize: setup
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=ON >/dev/null
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)

# The fuzz targets of tests/fuzz, built with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer), each run for FUZZ_SECONDS from the seed corpus. CI runs them.
FUZZ_SECONDS ?= 60
fuzz: setup
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DOSTREL_FUZZ=ON \
	  -DBUILD_TESTING=OFF >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target fuzz_parse fuzz_run
	bash tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Installs into $(PREFIX) (default: the configured prefix, /usr/local) below $(DESTDIR), if given.
install: build
	DESTDIR="$(DESTDIR)" cmake --install build $(if $(PREFIX),--prefix "$(PREFIX)")

bench: build
	bash bench/run.sh

clean:
	rm -rf build build-sanitize build-profile build-fuzz
