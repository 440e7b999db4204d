#!/bin/bash
# The setup program less its payload stays within a limit: check-stub-size.sh SETUP PAYLOAD LIMIT.
# PAYLOAD is the chunk file the program carries whole (payloadgen's .bin).
set -u
setup=$1 payload=$2 limit=$3
for file in "$setup" "$payload"; do
  [ -f "$file" ] || { echo "stub size: $file is missing"; exit 1; }
done
stub=$(( $(stat -c %s "$setup") - $(stat -c %s "$payload") ))
echo "stub size: $stub bytes of $(stat -c %s "$setup") (limit $limit)"
[ "$stub" -le "$limit" ]
