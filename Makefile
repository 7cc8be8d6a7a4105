# The two commands of the README: `make run` and `make check` (plus `make bench`).
# Each installs what is missing, configures, builds, then runs or tests.

JOBS      ?= 2
RELEASE   := build/release
SANITIZED := build/asan
THREADED  := build/tsan

# The browser build: the page, build/web/index.html, with bevorel.js and .wasm.
WEB := build/web

.PHONY: all deps run web check check-release check-asan check-tsan fuzz bench coverage install-libretro package clean

all: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS)

deps:
	@bash tools/install-deps.sh

run: all
	cd $(RELEASE) && ./bevorel --boot

check: deps check-release check-asan check-tsan

# The release build's tests include the package's checks (lintian, the
# desktop entry, the metainfo, and an install and removal as root).
check-release: web
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS)
	cd $(RELEASE) && cpack -G DEB
	ctest --test-dir $(RELEASE) --output-on-failure -j $(JOBS)

# The board and the 68000 core compiled to WebAssembly by Debian's emscripten
# (web/CMakeLists.txt) beside the page and the demo ROM set, which the release
# build's cross toolchain makes. emscripten's tools find their node modules
# through NODE_PATH when the machine's node is not Debian's.
web: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS) --target demo_roms demo_rom_zip
	NODE_PATH=/usr/share/nodejs emcmake cmake -S web -B build/web-build -DDEMO_ROMS=$(CURDIR)/$(RELEASE)/roms/demo/Roms \
	  -DSITE=$(CURDIR)/$(WEB)
	NODE_PATH=/usr/share/nodejs cmake --build build/web-build -j $(JOBS)

# The Debian package, build/release/bevorel_VERSION_ARCH.deb.
package: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS)
	cd $(RELEASE) && cpack -G DEB

# AddressSanitizer and UndefinedBehaviorSanitizer: any report fails the run.
# This build also holds the fuzz targets, which CTest runs briefly.
# Sanitizer reports need only files and lines: line tables instead of full
# debug information make those builds about a sixth faster (the core's
# template instances carry most of it). At -O1 rather than -O2 the
# AddressSanitizer build took 273 s instead of 318 and its tests 200 s
# instead of 210.
SANITIZER_FLAGS := "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG"
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# The fuzz targets run 5 s each here (`make fuzz` runs them long). Of the two
# real-input desktop tests only the workbench's runs here: the walk through
# every menu item and hotkey took three minutes under the sanitizers (with
# every key of the keyboard configuration); it runs in the release build,
# and the shell's tests run each command's handler here.
check-asan:
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBEVOREL_SANITIZE=address,undefined -DBEVOREL_FUZZ=ON \
	  -DBEVOREL_FUZZ_SECONDS=5 $(SANITIZER_FLAGS)
	cmake --build $(SANITIZED) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(SANITIZED) --output-on-failure -j $(JOBS) -E desktop_every_menu_item_and_hotkey

# ThreadSanitizer on the threaded parts: the platform kit, the desktop shell and the GDB stub.
# Not the run under a file size limit: ThreadSanitizer's runtime ends the
# program with SIGXFSZ though the program ignores it (the release and
# AddressSanitizer runs check that the limit is reported as a write error).
check-tsan:
	cmake -S . -B $(THREADED) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBEVOREL_SANITIZE=thread $(SANITIZER_FLAGS)
	cmake --build $(THREADED) -j $(JOBS) --target platform_tests app_tests hostile_gui_tests bevorel png_frame_hash \
	  gdb_stub_tests gdb_client_tests workbench_tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir $(THREADED) --output-on-failure -j $(JOBS) -L gui \
	  -E program_reports_writes_past_a_file_size_limit

# Longer fuzzing: every target for FUZZ_SECONDS (default 10 minutes each).
FUZZ_SECONDS ?= 600
fuzz: deps
	cmake -S . -B $(SANITIZED) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBEVOREL_SANITIZE=address,undefined -DBEVOREL_FUZZ=ON \
	  -DBEVOREL_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(SANITIZED) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(SANITIZED) --output-on-failure -L fuzz
	cmake -S . -B $(SANITIZED) -DBEVOREL_FUZZ_SECONDS=10

# Every benchmark in one table (see bench/RESULTS.md for the history).
BENCH := build/bench
bench: deps web
	cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DBEVOREL_BENCH=ON
	cmake --build $(BENCH) -j $(JOBS)
	bash bench/run.sh $(BENCH)

# The libretro core and its .info where Debian's RetroArch looks for them
# (/usr/lib/MULTIARCH/libretro/, /usr/share/libretro/info/); PREFIX and
# DESTDIR as usual. Builds as the user; installs through sudo when the user
# cannot write there.
PREFIX  ?= /usr
DESTDIR ?=
install-libretro: deps
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS) --target bevorel_libretro
	@root="$(DESTDIR)$(PREFIX)"; sudo=; \
	if [ "$$(id -u)" -ne 0 ] && ! { mkdir -p "$$root" 2>/dev/null && [ -w "$$root" ]; }; then sudo=sudo; fi; \
	echo $$sudo cmake --install $(RELEASE) --component libretro --prefix $(PREFIX); \
	$$sudo env DESTDIR="$(DESTDIR)" cmake --install $(RELEASE) --component libretro --prefix $(PREFIX)

# Line and branch coverage of the whole suite in an instrumented release build;
# prints the two totals and leaves the per-file report in build/coverage.
coverage: deps
	bash tools/coverage.sh build/coverage

clean:
	rm -rf build
