# Top-level commands. `make demo` and `make test` are the two a newcomer needs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 20
FUZZ_TARGETS ?=

# Developer builds (make test, make release, CI) turn warnings into errors. The other targets pass
# nothing, so a build folder keeps what it was configured with.
DEVELOPER ?=
DEVELOPER_FLAG = $(if $(DEVELOPER),-DKPX_DEVELOPER=ON)

# Debian packages the build needs.
PACKAGES = cmake make g++ clang pkg-config libtidy-dev libxml2-dev libxslt1-dev libcli11-dev \
           libutfcpp-dev libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev xsltproc \
           libgumbo-dev locales clang-format nlohmann-json3-dev

.PHONY: all deps build asan tsan test release demo bench fuzz install clean format format-check

all: build

# Installs missing packages with apt-get when run as root; otherwise prints the line and stops.
# Also generates the de_DE.UTF-8 locale (as root), under which the number-text tests check that
# output does not follow a comma-decimal locale; without it those tests are skipped.
deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    export DEBIAN_FRONTEND=noninteractive; \
	    apt-get update -q && apt-get install -y -q $$missing; \
	  else \
	    echo "Missing packages. Run as root:"; \
	    echo "  apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi
	@if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Generating the de_DE.UTF-8 locale"; \
	    [ -f /etc/locale.gen ] && sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen; \
	    grep -qxs 'de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen; \
	    locale-gen; \
	  else \
	    echo "The de_DE.UTF-8 locale is missing (its tests are skipped). Run as root:"; \
	    echo "  sed -i 's/^# *de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen && locale-gen"; \
	  fi; \
	fi

build: deps
	CC=gcc CXX=g++ cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(DEVELOPER_FLAG) \
	  $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# The sanitizer build uses clang, so that every `make test` also proves the code builds with both
# compilers (the plain build uses g++).
asan: deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKPX_SANITIZE=ON \
	  $(DEVELOPER_FLAG) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The ThreadSanitizer build (clang too) makes only the tests labelled "threads": converters
# running on several threads at once, and x2x batch's workers.
tsan: deps
	CC=clang CXX=clang++ cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKPX_SANITIZE_THREADS=ON $(DEVELOPER_FLAG) $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target threads_tests x2x_threads_tests

# Every suite twice, warnings as errors: a normal build, then AddressSanitizer +
# UndefinedBehaviorSanitizer; then the threads tests under ThreadSanitizer, with no suppressions:
# libxml2 and libtidy are not instrumented, so it sees only what they do through the C library,
# and nothing is reported there.
test: DEVELOPER = 1
test: build asan tsan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -L threads

demo: build
	@sh tools/demo.sh $(BUILD)

# The Release build (-O3) of everything in the benchmark folder, and its tests run; CI runs it so
# that `make bench` keeps building. It builds the benchmarks, it does not run them.
release: DEVELOPER = 1
release: deps
	CC=gcc CXX=g++ cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKPX_BUILD_BENCH=ON \
	  -DKPX_BUILD_TESTS=ON $(DEVELOPER_FLAG) $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	cd $(BENCH_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps
	CC=gcc CXX=g++ cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKPX_BUILD_BENCH=ON \
	  -DKPX_BUILD_TESTS=OFF $(DEVELOPER_FLAG) $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/*_bench; do [ -x "$$b" ] && "$$b" || true; done

# libFuzzer targets built with clang, run one after the other for FUZZ_SECONDS each (300 for a long
# run) on their seeds and their kept corpus, fuzz/corpus/TARGET, which takes in what the run finds.
# FUZZ_TARGETS="fuzz_a fuzz_b" runs only those.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKPX_BUILD_FUZZ=ON -DKPX_BUILD_TESTS=OFF -DKPX_SANITIZE=ON $(DEVELOPER_FLAG) $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@sh fuzz/run_all.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

install: build
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX),)

format:
	clang-format -i $$(git ls-files '*.h' '*.cc')

# Fails when a tracked source file is not as clang-format (the root .clang-format) would write it.
format-check: deps
	clang-format --dry-run --Werror $$(git ls-files '*.h' '*.cc')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
