#!/usr/bin/env bash
# The simulated lives of two or three PCs sharing one archive, a long run,
# after a native build (CI runs 3,000):
#   tools/shared-lives.sh [lives] [first seed]
# One life, told step by step:
#   RICORDEX_LIFE_SEED=n build/native/tests/app_tests --gtest_filter='SharedLife*'
# The faults still left out by default are named in
# tests/app/shared_life_test.cpp; RICORDEX_LIFE_WITHOUT=none brings them in.
set -euo pipefail
cd "$(dirname "$0")/.."
RICORDEX_LIVES=${1:-200000} RICORDEX_LIFE_FIRST=${2:-1} \
  exec build/native/tests/app_tests --gtest_filter='SharedLife*'
