#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Run as root.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
  cmake make gcc g++ pkg-config python3 \
  libsqlite3-dev libmariadb-dev mariadb-server libjsoncpp-dev libcurl4-openssl-dev libcpp-httplib-dev libcli11-dev \
  galera-4 rsync iproute2 procps \
  libre2-dev libtomlplusplus-dev \
  googletest libgtest-dev libgmock-dev \
  help2man man-db groff-base openssl \
  clang libclang-rt-14-dev \
  abigail-tools \
  chromium chromium-driver python3-selenium
