# Tolvane: `make run` sets up, builds and starts the window; `make test` sets up, builds and runs every test.
SHELL := /bin/bash

# Debian packages `make run` needs to build and start the Linux program: the compiler, CMake and Ninja, Qt 6
# Widgets with the X11 and fontconfig headers it is built against, dpkg-dev's dpkg-buildflags for Debian's
# hardening flags (so that the program run is the one packaged), ImageMagick (the packaged 32-pixel icon is
# converted at build time, and tools/screenshot.sh saves its picture with `import`), the fonts the
# captions are drawn in (Noto Serif CJK (fonts-noto-cjk) stands in for "宋体" with a bold weight of its
# own, which keeps the captions bold at every scale, where AR PL UMing's emboldened regular thins out; AR
# PL UKai for "隶书"), and Xvfb and xdotool for the screenshot `make run` takes where there is no display.
RUN_PACKAGES := cmake ninja-build g++ make qt6-base-dev libgl-dev libxcb1-dev libfontconfig-dev dpkg-dev \
                imagemagick fontconfig fonts-noto-cjk fonts-arphic-uming fonts-arphic-ukai xvfb xdotool
# Debian packages `make package` needs besides: CPack's dependency scan of the Debian package (dpkg-dev's
# dpkg-shlibdeps, and file), the Windows cross-build, wixl to build the Windows Installer package from
# packaging/windows/tolvane.wxs and msitools' msibuild, msiinfo and msidump to finish and check it; for
# artefacts that are the same bytes from the same commit, strip-nondeterminism for the zip's times and
# owners, and libmsi's GObject bindings (python3-gi, gir1.2-libmsi-1.0) for the Windows Installer
# package's summary (docs/reproducible-builds.md); osslsigncode signs the program and the package when
# given a certificate (docs/signing.md).
PACKAGE_PACKAGES := $(RUN_PACKAGES) file python3 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 \
                    wixl msitools strip-nondeterminism python3-gi gir1.2-libmsi-1.0 osslsigncode
# Debian packages the tests need besides (Qt's private headers let a test switch Qt's accessibility on as a
# screen reader would; xrandr changes a test display's size; WenQuanYi Micro Hei is a CJK font of none of
# the label faces' families, for the test of the fonts' fallback); the accessibility line is a screen
# reader's side of AT-SPI for its end-to-end test (a private session bus, the accessibility bus and its
# registry, pyatspi); the next line checks the Debian package (the desktop entry's, metainfo's and
# package's validators, and devscripts' hardening-check of the packaged program). The docking tests run
# under the desktops' own window managers: Mutter (GNOME, on X11 and as a Wayland compositor with
# XWayland), KWin (KDE; without Breeze it draws no title bars), xfwm4 (Xfce) and Openbox (LXDE, LXQt),
# each on a session bus of its own (dbus-daemon). The Windows program's tests run under Wine; the
# installer's test locks a folder against writing with e2fsprogs' chattr, and makes a throwaway
# certificate to sign with, with openssl. Together they pull in some 230
# packages (KDE Frameworks 5, GTK 3, WebKitGTK for Mutter's zenity).
# Debian packages the Wayland docking tests need to move the compositors' own pointer: python3-gi's Gio keeps
# Mutter's remote-desktop session on one D-Bus connection; KWin as a Wayland compositor, and the fake-input
# protocol's XML and libwayland-client (with wayland-scanner) for the tests' own client that drives KWin's pointer.
# zenity is the native Wayland window beside the program (Debian 13's mutter no longer pulls it in).
WAYLAND_TEST_PACKAGES := python3-gi kwin-wayland plasma-wayland-protocols libwayland-dev zenity
TEST_PACKAGES := $(PACKAGE_PACKAGES) libgtest-dev libgmock-dev qt6-base-private-dev \
                 xauth x11-utils x11-xserver-utils fonts-wqy-microhei \
                 openbox mutter kwin-x11 kwin-style-breeze xfwm4 xwayland \
                 dbus-daemon at-spi2-core python3-pyatspi \
                 desktop-file-utils appstream lintian devscripts \
                 wine wine64 fonts-wine e2fsprogs openssl \
                 $(WAYLAND_TEST_PACKAGES)
# What `make deps` installs, and with it every target that does not name a shorter list.
PACKAGES := $(TEST_PACKAGES)
# Debian packages only `make fuzz` needs: clang and its libFuzzer (the release's default clang: 14 on
# Debian 12, 19 on Debian 13).
FUZZ_PACKAGES := clang libclang-rt-dev
# Debian packages only `make bench` needs: Google Benchmark and callgrind.
BENCH_PACKAGES := libbenchmark-dev valgrind
# Debian packages only `make reproducible` needs: reprotest, which builds twice under varied conditions,
# with faketime and disorderfs for its time and file-order variations and every locale it switches to,
# and diffoscope to explain a difference.
REPRODUCIBLE_PACKAGES := reprotest faketime disorderfs locales-all sudo diffoscope-minimal

SUDO := $(if $(filter 0,$(shell id -u)),,sudo)
JOBS ?= $(shell nproc)
# How long `make fuzz` runs the docking step's fuzzer.
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test test-sanitize soak package screenshot fuzz bench reproducible clean

all: build

# Installs only what is missing, and says nothing when nothing is.
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing Debian packages:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

# `make run` and `make package` install none of the tests' packages, so a Linux build they begin leaves the
# tests out, and one begun with the tests keeps them; every other target builds them.
LINUX_TESTS := ON
run package: LINUX_TESTS := $(if $(wildcard build/linux/CMakeCache.txt),,OFF)
run: PACKAGES := $(RUN_PACKAGES)
package: PACKAGES := $(PACKAGE_PACKAGES)

configure: deps
	@cmake --preset linux $(if $(LINUX_TESTS),-DTOLVANE_BUILD_TESTS=$(LINUX_TESTS)) >/dev/null
	@cmake --preset windows >/dev/null

build: configure
	cmake --build --preset linux -j $(JOBS)
	cmake --build --preset windows -j $(JOBS)

# Builds the Linux program alone.
run: deps
	@cmake --preset linux $(if $(LINUX_TESTS),-DTOLVANE_BUILD_TESTS=$(LINUX_TESTS)) >/dev/null
	cmake --build --preset linux -j $(JOBS) --target tolvane
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
# (built with the Windows program, checked with msitools), into build/packages with their SHA256SUMS. Given
# SIGN_CERT and SIGN_KEY (PEM files; an encrypted key's passphrase in SIGN_PASS_FILE or the environment's
# SIGN_PASS, never on the command line; SIGN_TIMESTAMP_URL optional), the Windows program and package are
# signed (docs/signing.md).
PACKAGES_DIR := $(CURDIR)/build/packages
export SIGN_CERT SIGN_KEY SIGN_PASS_FILE SIGN_TIMESTAMP_URL
package: build
	@if [ "$(origin SIGN_PASS)" = "command line" ]; then \
	  echo "SIGN_PASS on make's command line is in every process listing: use SIGN_PASS_FILE"; exit 1; fi
	cpack --config build/linux/CPackConfig.cmake -B $(PACKAGES_DIR)
	python3 packaging/windows/sign.py packages build/windows $(PACKAGES_DIR)
	python3 tests/packaging/check_windows_msi.py $(PACKAGES_DIR)/tolvane-*-windows-x86_64.msi
	@rm -rf $(PACKAGES_DIR)/_CPack_Packages # CPack's staging trees, which it leaves beside the artefacts
	cd $(PACKAGES_DIR) && sha256sum tolvane_*.deb tolvane-*-windows-x86_64.zip tolvane-*-windows-x86_64.msi \
	  > SHA256SUMS
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

# On demand: builds the five artefacts twice, in two folders under different conditions (reprotest), and
# checks that they are the same bytes; diffoscope explains any difference (docs/reproducible-builds.md).
reproducible:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGE_PACKAGES) $(REPRODUCIBLE_PACKAGES)"
	tools/check_reproducible.sh

clean:
	rm -rf build
