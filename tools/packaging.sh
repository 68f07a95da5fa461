#!/usr/bin/env bash
# The builds a packager makes, each with every test and warnings as errors so
# that a new warning is seen here first: Release with g++ and with clang, and
# RelWithDebInfo with clang (tools/test.sh makes it with g++).
set -euo pipefail
exec bash "$(dirname "${BASH_SOURCE[0]}")/test.sh" \
    build-pkg-release-gcc:Release:g++ build-pkg-release-clang:Release:clang++ \
    build-pkg-relwithdebinfo-clang:RelWithDebInfo:clang++
