# Front door: every target installs what it needs first.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build test demo bench soak format screenshot package clean

deps:
	@bash scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	@cmake --build $(BUILD)

test: build
	@bash scripts/run-tests $(BUILD)

demo: build
	@bash scripts/demo $(BUILD)

bench: build
	@cmake --build $(BUILD) --target benchmarks
	@bash bench/run $(BUILD)

# Slow, greedy and bursting clients against a server on loopback, then many clerks
# importing overlapping files at once; each prints a table.
soak: build
	@bash scripts/soak $(BUILD)
	@bash scripts/soak-imports $(BUILD)

screenshot: build
	@bash scripts/screenshot $(BUILD)

# The Debian package, in $(BUILD)/package/.
package: build
	@cd $(BUILD) && cpack -G DEB

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD)
