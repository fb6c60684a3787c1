# The two set-up commands of the README: `make run` and `make test`.
.PHONY: run test deps build-release build-debug asan tsan screenshot demo demo-cli clean

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

# The offline demo against a sample site on 127.0.0.1: the window, or albumora-cli end to end.
demo: deps
	scripts/demo.sh window

demo-cli: deps
	scripts/demo.sh cli

clean:
	rm -rf build
