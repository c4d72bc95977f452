# Entry points for newcomers and CI. Each target installs what it needs first.
JOBS ?= $(shell nproc)

.PHONY: setup configure build run test test-sanitize fuzz bench install clean

setup:
	bash scripts/setup.sh

# Profile-guided: the build first makes an instrumented program, trains it with bench/train.sh and
# optimises each object with the counts of its own source (cmake/profile.cmake); 10-30% faster on
# bench/. Changed sources or training rebuild what they affect, and nothing else.
build: configure
	cmake --build build -j $(JOBS)

configure: setup
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DOSTREL_PROFILE=use >/dev/null

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
install: configure
	cmake --build build -j $(JOBS) --target ostrel
	DESTDIR="$(DESTDIR)" cmake --install build $(if $(PREFIX),--prefix "$(PREFIX)")

bench: build
	bash bench/run.sh

clean:
	rm -rf build build-sanitize build-fuzz
