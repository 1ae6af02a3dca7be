# The two commands of the README's Quick start.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test

run:
	@scripts/setup-deps.sh
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)
	@scripts/run-program.sh $(BUILD)

test:
	@scripts/setup-deps.sh
	@cmake -S . -B $(BUILD)-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHJ_WERROR=ON >/dev/null
	@cmake --build $(BUILD)-test -j$(JOBS)
	@cd $(BUILD)-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)
