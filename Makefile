# Tolvane: `make run` sets up, builds and starts the window; `make test` sets up, builds and runs every test.
SHELL := /bin/bash

# Debian packages the Wayland docking tests need to move the compositors' own pointer: python3-gi's Gio keeps
# Mutter's remote-desktop session on one D-Bus connection; KWin as a Wayland compositor, and the fake-input
# protocol's XML and libwayland-client (with wayland-scanner) for the tests' own client that drives KWin's pointer.
WAYLAND_TEST_PACKAGES := python3-gi kwin-wayland plasma-wayland-protocols libwayland-dev
# Debian packages the Linux build, its tests and its fonts need (Qt's private headers let a test switch
# Qt's accessibility on as a screen reader would; xrandr changes a test display's size; WenQuanYi Micro Hei
# is a CJK font of none of the label faces' families, for the test of the fonts' fallback; Noto Serif CJK
# (fonts-noto-cjk) stands in for "宋体" with a bold weight of its own, which keeps the captions bold at
# every scale, where AR PL UMing's emboldened regular thins out); the accessibility line is a screen
# reader's side of AT-SPI for its end-to-end test (a private session bus, the accessibility bus and its
# registry, pyatspi); the last line builds and checks the Debian package (CPack's dependency scan, the
# desktop entry's, metainfo's and package's validators, and devscripts' hardening-check of the packaged
# program). The docking tests run under the desktops' own window managers: Mutter (GNOME, on X11 and as a
# Wayland compositor with XWayland), KWin (KDE; without Breeze it draws no title bars), xfwm4 (Xfce) and
# Openbox (LXDE, LXQt), each on a session bus of its own (dbus-daemon). Together they pull in some 230
# packages (KDE Frameworks 5, GTK 3, WebKitGTK for Mutter's zenity).
LINUX_PACKAGES := cmake ninja-build g++ make qt6-base-dev libgl-dev libxcb1-dev libfontconfig-dev \
                  libgtest-dev libgmock-dev \
                  qt6-base-private-dev \
                  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick fontconfig \
                  fonts-noto-cjk fonts-arphic-uming fonts-arphic-ukai fonts-wqy-microhei \
                  python3 openbox mutter kwin-x11 kwin-style-breeze xfwm4 xwayland \
                  dbus-daemon at-spi2-core python3-pyatspi \
                  dpkg-dev file desktop-file-utils appstream lintian devscripts \
                  $(WAYLAND_TEST_PACKAGES)
# Debian packages the Windows cross-build and its tests under Wine need; wixl builds the Windows Installer
# package from packaging/windows/tolvane.wxs and msitools' msiinfo and msidump check it; the installer's test
# locks a folder against writing with e2fsprogs' chattr.
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine wine64 fonts-wine wixl msitools \
                    e2fsprogs
PACKAGES := $(LINUX_PACKAGES) $(WINDOWS_PACKAGES)
# Debian packages only `make fuzz` needs: clang and its libFuzzer (the release's default clang: 14 on
# Debian 12, 19 on Debian 13).
FUZZ_PACKAGES := clang libclang-rt-dev
# Debian packages only `make bench` needs: Google Benchmark and callgrind.
BENCH_PACKAGES := libbenchmark-dev valgrind

SUDO := $(if $(filter 0,$(shell id -u)),,sudo)
JOBS ?= $(shell nproc)
# How long `make fuzz` runs the docking step's fuzzer.
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test test-sanitize soak package screenshot fuzz bench clean

all: build

# Installs only what is missing, and says nothing when nothing is.
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing Debian packages:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	@cmake --preset linux >/dev/null
	@cmake --preset windows >/dev/null

build: configure
	cmake --build --preset linux -j $(JOBS)
	cmake --build --preset windows -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  tools/screenshot.sh build/linux/tolvane build/screenshot.png; \
	else \
	  build/linux/tolvane; \
	fi

test: build
	ctest --preset linux -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitize

# The core and its unit and reliability tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
# a report from either fails its test, and so the run.
test-sanitize: deps
	@cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

# On demand: the full soak of both programs (2,000 clicks and 200 hide/reveal cycles each); `make test`
# runs a short one.
soak: build
	TOLVANE_SOAK=full ctest --preset linux -L soak

# The Debian package of the Linux program, the zip of the Windows program and its Windows Installer package
# (built with the Windows program, checked with msitools), into build/packages.
PACKAGES_DIR := $(CURDIR)/build/packages
package: build
	cpack --config build/linux/CPackConfig.cmake -B $(PACKAGES_DIR)
	cpack --config build/windows/CPackConfig.cmake -B $(PACKAGES_DIR)
	cp build/windows/tolvane-*-windows-x86_64.msi $(PACKAGES_DIR)/
	python3 tests/packaging/check_windows_msi.py $(PACKAGES_DIR)/tolvane-*-windows-x86_64.msi
	@rm -rf $(PACKAGES_DIR)/_CPack_Packages # CPack's staging trees, which it leaves beside the artefacts
	@ls -l $(PACKAGES_DIR)

# The picture of the window at the top of README and in the AppStream metainfo: drawn by the program on a
# private Xvfb with "2.5岁" (Label19, whose centre is at 104,60 in the client area) selected.
# linux.e2e.readme_screenshot checks that the committed picture is still what the program draws.
screenshot: build
	tools/screenshot.sh --window build/linux/tolvane docs/tolvane-window.png 104,60

# On demand: the docking step's libFuzzer target for FUZZ_SECONDS, keeping what it finds in build/fuzz/corpus.
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	@cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	@mkdir -p build/fuzz/corpus
	build/fuzz/tests/reliability/docking_step_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  build/fuzz/corpus

# On demand: the benchmarks of bench/ on both builds; they write their figures to BENCHMARKS.md.
bench:
	@$(MAKE) --no-print-directory build PACKAGES="$(PACKAGES) $(BENCH_PACKAGES)"
	python3 bench/run_benchmarks.py $(CURDIR)

clean:
	rm -rf build
