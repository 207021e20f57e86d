# Duvara: two commands on a fresh Debian 12 machine.
#   make run    installs what is missing, builds, starts the player
#   make test   the same set-up, then the whole test suite (plain, sanitizers, fuzzing)
#   make bench  builds and runs the benchmarks
#   make soak   the player's memory over a 30-minute session
#   make install / make package / make test-package   see the block at the end

JOBS        ?= 2
BUILD       ?= build
ASAN_BUILD  ?= build-asan
FUZZ_BUILD  ?= build-fuzz
BENCH_BUILD ?= build-bench
FUZZ_SECONDS ?= 60
GENERATOR   := -G Ninja
CTEST_FLAGS := --output-on-failure -j$(JOBS) --timeout 300
DEMO_FILM   := $(CURDIR)/assets/demo/demo.mp4

.PHONY: all deps build run test test-plain fuzz bench bench-play soak format clean
.PHONY: install package test-package

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -f "$(DEMO_FILM)" ]; then exec $(BUILD)/bin/duvara "$(DEMO_FILM)"; \
	else exec $(BUILD)/bin/duvara; fi

test: build
	@bash scripts/run-tests.sh "$(BUILD)" "$(ASAN_BUILD)" "$(FUZZ_BUILD)" "$(FUZZ_SECONDS)" "$(JOBS)"

test-plain: build
	cd $(BUILD) && ctest $(CTEST_FLAGS)

fuzz: deps
	@bash scripts/run-tests.sh --fuzz-only "$(BUILD)" "$(ASAN_BUILD)" "$(FUZZ_BUILD)" "$(FUZZ_SECONDS)" "$(JOBS)"

bench: deps
	cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DDUVARA_BUILD_TESTS=OFF \
	      -DDUVARA_BUILD_BENCHMARKS=ON
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target duvara-benchmarks duvara-presentation-benchmarks duvara-cold-load
	$(BENCH_BUILD)/bin/duvara-benchmarks
	$(BENCH_BUILD)/bin/duvara-presentation-benchmarks
	bash scripts/bench-cold-load.sh $(BENCH_BUILD)

# Playback of a Release player against the mpv command under Xvfb, and the playlist's probe
# against ffprobe.
bench-play: build
	@bash scripts/install-deps.sh --bench
	cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DDUVARA_BUILD_TESTS=OFF \
	      -DDUVARA_BUILD_BENCHMARKS=ON
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target duvara duvara-probe-bench duvara-fast-motion-bench
	bash scripts/bench-play.sh $(BENCH_BUILD) $(BENCH_BUILD)
	bash scripts/bench-fast-motion.sh $(BENCH_BUILD)

# Memory over a long session: the Release player's window under Xvfb plays a playlist of films
# with both subtitle tracks, fast motion and seeks for 30 minutes, its RSS printed every 30 s
# (scripts/soak-session.sh tells the knobs; scripts/soak-memory.sh is the shorter hand-over run).
SOAK_BUILD ?= build-release
soak: deps
	cmake -S . -B $(SOAK_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DDUVARA_BUILD_TESTS=OFF \
	      -DDUVARA_BUILD_BENCHMARKS=ON
	cmake --build $(SOAK_BUILD) -j$(JOBS) --target duvara duvara-soak
	bash scripts/soak-session.sh $(SOAK_BUILD)

# Formats every C++ file with the committed .clang-format.
format: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(SOAK_BUILD)

# Installing and packaging.
#   make install [PREFIX=/usr] [DESTDIR=/staging]   the programs, help, desktop entry, metainfo,
#                       icons and manual pages, under PREFIX, else the build's CMAKE_INSTALL_PREFIX
#                       (/usr/local unless configured otherwise)
#   make package        $(BUILD)/duvara_<version>_amd64.deb (dependencies from dpkg-shlibdeps)
#   make test-package   installs that package with apt-get in a fresh Debian 12 chroot (root;
#                       downloads the base system once) and runs the installed player there
PREFIX ?=
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

package: build
	cd $(BUILD) && cpack -G DEB

test-package: build
	@bash scripts/install-deps.sh --package
	bash scripts/test-package-debian.sh --build $(BUILD)
