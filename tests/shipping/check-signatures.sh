#!/bin/bash
# check-signatures.sh CERTIFICATE EXE...: each program carries an Authenticode signature that
# osslsigncode verifies up to CERTIFICATE (the self-signed certificate it was signed with).
set -u
certificate=$1; shift
status=0
for exe in "$@"; do
  if result=$(osslsigncode verify -CAfile "$certificate" -in "$exe" 2>&1) &&
     grep -q '^Signature verification: ok' <<<"$result"; then
    echo "signed: $exe ($(sed -n 's/^[[:space:]]*Subject: //p' <<<"$result" | head -n 1))"
  else
    echo "NOT VERIFIED: $exe"
    echo "$result" | tail -n 5
    status=1
  fi
done
exit $status
