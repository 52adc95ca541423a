# Vellum's front door.  CMake does the building underneath:
#   make          all three builds: build/win64, build/win32, build/host
#                 (BUILD=DIR puts the trees elsewhere)
#   make test     every test (native and under Wine), one ctest summary
#   make demo     pack the sample product and start its setup under Wine
#   make bench    benchmark figures
#   make fuzz     a longer fuzzing run (FUZZ_SECONDS=300 by default)
# Missing Debian packages are installed first when run as root.

JOBS  ?= $(shell nproc)
BUILD ?= build
CMAKE ?= cmake
GEN   := -G Ninja

.PHONY: all deps host win64 win32 test demo bench fuzz clean
all: host win64 win32

deps:
	@tools/scripts/deps

$(BUILD)/host/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/host $(GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
$(BUILD)/win64/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/win64 $(GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
$(BUILD)/win32/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD)/win32 $(GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

host: $(BUILD)/host/build.ninja
	$(CMAKE) --build $(BUILD)/host -j $(JOBS)
win64: $(BUILD)/win64/build.ninja
	$(CMAKE) --build $(BUILD)/win64 -j $(JOBS)
win32: $(BUILD)/win32/build.ninja
	$(CMAKE) --build $(BUILD)/win32 -j $(JOBS)

# One ctest run over both test trees, so the last line is one summary.
# After all three builds: the host tests pack and read the setup.exe and
# Uninstall.exe of both Windows builds.
test: all
	@printf 'subdirs("host" "win64")\n' > $(BUILD)/CTestTestfile.cmake
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: all
	BUILD=$(BUILD) tools/scripts/demo

bench: host win64 win32
	BUILD=$(BUILD) tools/scripts/bench

fuzz: host
	BUILD=$(BUILD) tools/scripts/fuzz $${FUZZ_SECONDS:-300}

clean:
	rm -rf $(BUILD)
