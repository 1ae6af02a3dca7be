# The two commands of the README's Quick start.
BUILD ?= build
JOBS ?= $(shell nproc)
# The test build is optimised as a release is, without debug info (a test's failure names its file
# and line itself; `make test-sanitize` keeps full debug info for stack traces): writing debug info
# was about 40% of the compile time. The benchmarks are built by `make bench`, not by the tests.
TEST_FLAGS ?= -O2 -DNDEBUG

.PHONY: run test test-windows build-windows qt-windows package-windows test-sanitize bench package tables

run:
	@scripts/setup-deps.sh
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)
	@scripts/run-program.sh $(BUILD)

test:
	@scripts/setup-deps.sh
	@cmake -S . -B $(BUILD)-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHJ_WERROR=ON -DHJ_BUILD_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(TEST_FLAGS)" >/dev/null
	@cmake --build $(BUILD)-test -j$(JOBS)
	@cd $(BUILD)-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Windows: hjcore, hengjian-cli and the engine tests cross-built with MinGW-w64 into build-windows/
# and run there by ctest under wine (headless, in a wine prefix of its own). The one tool that runs
# during the build (resource embedding) comes from a native build of its own.
# When the Qt for Windows of scripts/build-qt-mingw.sh is in its cache (`make qt-windows` builds it
# once, about half an hour), the desktop program and its window tests are built and run too; without
# it they are skipped, and the target says so. Qt is never built here: that would double CI's time.
WINE_ENV = WINEPREFIX=$(CURDIR)/$(BUILD)-windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
QT_HOST_CMAKE_DIR = $(shell dirname "$$(dirname "$$(dpkg -L qt6-base-dev 2>/dev/null | grep -m1 /cmake/Qt6HostInfo/)")")
test-windows: build-windows
	@$(WINE_ENV) wineboot -i >/dev/null 2>&1; $(WINE_ENV) wineserver -w
	@cd $(BUILD)-windows && $(WINE_ENV) ctest --output-on-failure -j$(JOBS)

build-windows:
	@scripts/setup-deps.sh windows
	@cmake -S . -B $(BUILD)-windows-host -DCMAKE_BUILD_TYPE=Release -DHJ_BUILD_TESTS=OFF -DHJ_BUILD_GUI=OFF \
	  -DHJ_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-windows-host -j$(JOBS) --target hj_embed_resources
	@if qt=$$(scripts/build-qt-mingw.sh --prefix); then \
	  echo "test-windows: the desktop program and its window tests too, with the Qt for Windows in $$qt"; \
	  qtflags="-DHJ_MINGW_PREFIX=$$qt -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=$(QT_HOST_CMAKE_DIR)"; \
	else \
	  echo "test-windows: SKIPPED the desktop program and its window tests: no Qt for Windows in $$qt"; \
	  echo "test-windows: (make qt-windows builds it from Debian's source once, about half an hour)"; \
	  qtflags="-DHJ_MINGW_PREFIX= -UQt6_DIR -UQt6Gui_DIR"; \
	fi; \
	cmake -S . -B $(BUILD)-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $$qtflags \
	  -DHJ_HOST_TOOLS_DIR=$(CURDIR)/$(BUILD)-windows-host/tools -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHJ_WERROR=ON \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(TEST_FLAGS)" >/dev/null
	@cmake --build $(BUILD)-windows -j$(JOBS)

# Qt for Windows (MinGW-w64), built once per machine from Debian's source into ~/.cache/hengjian.
qt-windows:
	@scripts/setup-deps.sh windows
	@scripts/build-qt-mingw.sh

# The Windows packages: build-windows/hengjian-<version>-windows-x64.zip and an NSIS installer,
# hengjian-<version>-setup.exe; then the installer's round trip under wine (silent install, the
# installed programs cast a chart, silent uninstall that keeps the user's cases).
package-windows: build-windows
	@scripts/setup-deps.sh package-windows
	@scripts/package-windows.sh $(BUILD)-windows
	@bash tests/install/windows_installer_test.sh $(BUILD)-windows

# The committed tables of resources/data written again from ICU, glibc's iconv and the system's tz
# release (see resources/data/README.md); `git diff` then shows what changed.
tables:
	@cmake -S . -B $(BUILD)-tables -DCMAKE_BUILD_TYPE=Release -DHJ_BUILD_TESTS=OFF -DHJ_BUILD_GUI=OFF \
	  -DHJ_BUILD_BENCH=OFF -DHJ_PNG=OFF >/dev/null
	@cmake --build $(BUILD)-tables -j$(JOBS) --target hj_tables

# The benchmarks (Google Benchmark), in a release build of their own: build-bench/bench/.
bench:
	@scripts/setup-deps.sh
	@cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DHJ_BUILD_TESTS=OFF -DHJ_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BUILD)-bench -j$(JOBS)

# The whole suite, windows included, under the address and undefined-behaviour sanitizers.
test-sanitize:
	@scripts/setup-deps.sh
	@cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHJ_WERROR=ON -DHJ_SANITIZE=ON -DHJ_BUILD_GUI=ON -DHJ_BUILD_TESTS=ON -DHJ_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-asan -j$(JOBS)
	@cd $(BUILD)-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)

# The Debian package: build-package/hengjian_<version>_<arch>.deb, checked by lintian when it is
# installed (any error or warning fails the target).
package:
	@scripts/setup-deps.sh
	@cmake -S . -B $(BUILD)-package -DCMAKE_BUILD_TYPE=Release -DHJ_BUILD_TESTS=OFF -DHJ_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-package -j$(JOBS)
	@rm -f $(BUILD)-package/hengjian_*.deb
	@cd $(BUILD)-package && cpack -G DEB
	@if command -v lintian >/dev/null; then \
	  lintian --fail-on error,warning $(BUILD)-package/hengjian_*.deb && echo "lintian: no errors or warnings"; \
	else \
	  echo "lintian not installed: the package was not checked"; \
	fi
