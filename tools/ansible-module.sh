#!/usr/bin/env bash
# Puts a build of dtucfg into the Ansible collection as its binary module.
#   tools/ansible-module.sh [DTUCFG] [COLLECTION_ROOT]
set -eu
cd "$(dirname "$0")/.."
binary="${1:-build/native/shell/dtucfg}"
root="${2:-ansible/collections}"
install -m 0755 "$binary" "$root/ansible_collections/orvel/dtu/plugins/modules/dtucfg"
echo "ansible-module: $root/ansible_collections/orvel/dtu/plugins/modules/dtucfg"
