# Entry points for people and CI. Each target installs what is missing first.
.PHONY: deps build test demo bench format clean

deps:
	@scripts/install-deps.sh core

build: deps
	cmake --preset default
	cmake --build --preset default

test: build
	ctest --preset default

demo: build
	scripts/demo.sh

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	build-bench/bench/holvane_bench

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build build-* out
