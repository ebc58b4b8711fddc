# make run   builds and starts Tavrin
# make test  builds and runs every test (on Qt's offscreen platform)
# make bench builds and runs the benchmarks and prints their table
# make install / make uninstall   into and out of $(PREFIX)
# make package   a Debian package, build/tavrin_<version>_<arch>.deb
BUILD ?= build
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test sanitize bench install uninstall package clean

all: build

deps:
	@bash scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ "$$(id -u)" -eq 0 ] && [ -z "$$QTWEBENGINE_DISABLE_SANDBOX" ]; then \
		echo "note: as root the web engine will not start with its sandbox;" \
		     "run as a normal user, or set QTWEBENGINE_DISABLE_SANDBOX=1 yourself"; fi
	cd $(BUILD) && ./tavrin

test: build
	cd $(BUILD) && ctest --output-on-failure

# The unit tests again, built with the address and undefined-behaviour
# sanitizers.
sanitize: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_BENCH=OFF -DTAVRIN_ENGINE=OFF
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure

# The in-process benchmarks (offscreen), then Tavrin against the bare engine
# as whole programs (TAVRIN_BENCH_ROUNDS rounds, 9 unless set), then one table.
RESULTS = $(BUILD)/bench/results
bench: build
	rm -rf $(RESULTS) && mkdir -p $(RESULTS)
	cd $(BUILD) && for b in bench/*_bench; do \
		QT_QPA_PLATFORM=offscreen $$b --benchmark_out=bench/results/$$(basename $$b).json \
			--benchmark_out_format=json || exit 1; done
	python3 -m bench.whole.harness --build $(BUILD) --json $(RESULTS)/whole.json
	@echo
	@python3 -m bench.whole.table --whole $(RESULTS)/whole.json $(RESULTS)/*_bench.json

# Installs what $(BUILD) holds, building it first if there is none, so that
# `make && sudo make install` builds as you and installs as root.
install:
	@[ -x $(BUILD)/tavrin ] || $(MAKE) build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Removes what the last install from $(BUILD) put in place, by its manifest.
uninstall:
	@[ -f $(BUILD)/install_manifest.txt ] || { echo "no $(BUILD)/install_manifest.txt: nothing installed from $(BUILD)"; exit 1; }
	xargs -d '\n' rm -f < $(BUILD)/install_manifest.txt
	sed -n 's,/tavrin/tavrin$$,/tavrin,p' $(BUILD)/install_manifest.txt | xargs -r -d '\n' rmdir --ignore-fail-on-non-empty

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
