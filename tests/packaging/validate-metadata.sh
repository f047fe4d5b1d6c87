#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass their validators.
#   validate-metadata.sh <id.desktop> <id.metainfo.xml>
set -euo pipefail
desktop-file-validate "$1"
# Pedantic: any remark at all fails.
appstreamcli validate --no-net --pedantic --explain "$2"
echo "metadata: passed"
