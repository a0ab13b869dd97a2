# Entry points for people and CI. Each target installs what is missing first.
.PHONY: deps windows-deps cluster-deps build build-demo windows test check test-asan fuzz demo \
	bench format format-check clean

deps:
	@scripts/install-deps.sh core

# MinGW-w64 and Wine, for the Windows deliverable and its checks.
windows-deps:
	@scripts/install-deps.sh windows

# Slurm and MUNGE, for the check that runs the job array on this machine.
cluster-deps:
	@scripts/install-deps.sh cluster

build: deps
	cmake --preset default
	cmake --build --preset default

# Only what the demo runs: the module and the renderer, not the test targets.
build-demo: deps
	cmake --preset default
	cmake --build --preset default --target Holvane holvane

# Holvane.aex, the Windows host and its test driver, cross-built into
# build-windows/, and the private Wine prefix the checks run them in.
windows: deps windows-deps
	cmake --preset windows
	cmake --build --preset windows
	scripts/wine-prefix.sh build-windows/wine-prefix

# Where MinGW-w64 and Wine are installed (or can be: as root), the Windows
# build comes first, so the Linux build registers the checks that run it
# under Wine (tests/windows) and finds it built. Slurm and MUNGE are
# installed the same way for the job-array check (tests/cluster), which
# skips itself without them.
test: deps
	@if scripts/install-deps.sh windows; then $(MAKE) --no-print-directory windows; \
	else echo "make test: no MinGW-w64 or Wine; the Windows checks are left out" >&2; fi
	@scripts/install-deps.sh cluster \
	  || echo "make test: no Slurm or MUNGE; the Slurm check skips itself" >&2
	$(MAKE) --no-print-directory build
	ctest --preset default

# What CI runs: the suite, then the formatting check, everything again under
# the sanitizers and a one-minute fuzz run.
check: format-check test
	$(MAKE) --no-print-directory test-asan
	scripts/fuzz.sh 60

# Everything again under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/), also run by `make check`. The checks of the Windows module
# under Wine test no Linux code and are left to the normal run.
test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# A longer fuzz run of the effect's entry point than the minute `make check`
# gives it: make fuzz FUZZ_SECONDS=600.
FUZZ_SECONDS ?= 1800
fuzz: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

demo: build-demo
	scripts/demo.sh

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	build-bench/bench/holvane_bench

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

format-check:
	@git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run -Werror \
	  || { echo "make format-check: run 'make format'" >&2; exit 1; }

clean:
	rm -rf build build-* out
