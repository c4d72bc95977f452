# Entry points for newcomers and CI. Each target installs what it needs first.
JOBS ?= $(shell nproc)

.PHONY: setup build run test test-sanitize bench install clean

setup:
	bash scripts/setup.sh

# Profile-guided: an instrumented build in build-profile/ runs the training of bench/train.sh, and
# the build in build/ is optimised with what that counted (10-25% faster on bench/). Files that do
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

# Installs into $(PREFIX) (default: the configured prefix, /usr/local) below $(DESTDIR), if given.
install: build
	DESTDIR="$(DESTDIR)" cmake --install build $(if $(PREFIX),--prefix "$(PREFIX)")

bench: build
	bash bench/run.sh

clean:
	rm -rf build build-sanitize build-profile
