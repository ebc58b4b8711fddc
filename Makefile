# make run   builds and starts Tavrin
# make test  builds and runs every test (on Qt's offscreen platform)
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@bash scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./tavrin

test: build
	cd $(BUILD) && ctest --output-on-failure

bench: build
	cd $(BUILD) && for b in bench/*_bench; do QT_QPA_PLATFORM=offscreen $$b; done

clean:
	rm -rf $(BUILD)
