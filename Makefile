# Entry points for newcomers and CI. Each target installs what it needs first.
JOBS ?= $(shell nproc)

.PHONY: setup build run test test-sanitize bench install clean

setup:
	bash scripts/setup.sh

build: setup
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
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
	rm -rf build build-sanitize
