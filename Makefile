# Entry points: `make demo` and `make test` are the two commands of the README's Quick start.
SHELL := /bin/bash
.PHONY: deps build test sanitize tsan coverage bench fuzz demo format clean

deps:
	@scripts/install-deps

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

test: build
	ctest --preset default -j2

sanitize: deps
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize -j2

# The batch runs (several conversions on threads) under ThreadSanitizer.
tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan --target vornik-cli lorvex-cli
	ctest --preset tsan -R 'case/vornik/batch'

coverage: deps
	tools/coverage build/coverage

bench: deps
	cmake --preset bench >/dev/null
	cmake --build --preset bench
	scripts/run-bench build/bench

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	scripts/run-fuzz build/fuzz 60

demo: build
	scripts/demo build/default

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build demo-out
