# The two set-up commands of the README: `make run` and `make test`.
.PHONY: run test deps build-release build-debug asan tsan screenshot package check-package demo demo-cli clean

deps:
	@scripts/install-deps.sh

build-release: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release

build-debug: deps
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug

run: build-release
	./build/release/src/gui/albumora

test: build-debug
	ctest --preset debug

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	ctest --preset asan

tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	ctest --preset tsan

screenshot: deps
	scripts/screenshot.sh

# The Debian package, from the release build of what it ships (the tests are not built for it).
package: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target albumora albumora-cli albumora_icons
	@cd build/release && cpack
	@echo "Package: $$(ls -t build/release/albumora_*.deb | head -n 1)"

# Builds the package, installs it, starts both programs from it and removes it again.
check-package:
	scripts/check-package.sh

# The offline demo against a sample site on 127.0.0.1: the window, or albumora-cli end to end.
demo: deps
	scripts/demo.sh window

demo-cli: deps
	scripts/demo.sh cli

clean:
	rm -rf build
