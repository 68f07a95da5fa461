#!/usr/bin/env bash
# The builds a packager makes, each with every test and warnings as errors so
# that a new warning is seen here first: Release with g++ and with clang
# (tools/test.sh makes RelWithDebInfo with g++). A clang RelWithDebInfo build
# found nothing the clang Release build did not, and cost CI minutes.
set -euo pipefail
exec bash "$(dirname "${BASH_SOURCE[0]}")/test.sh" \
    build-pkg-release-gcc:Release:g++ build-pkg-release-clang:Release:clang++
