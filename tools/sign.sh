#!/bin/bash
# sign.sh [-t TIMESTAMP-SERVER] PKCS12 DESCRIPTION FILE: signs FILE in place with Authenticode
# (osslsigncode, SHA-256). The build runs it on qxuninst.exe and velmorant.exe before they go
# into the payload and on setup.exe after; it can also sign a file by hand.
#   -t SERVER    the address of an RFC 3161 timestamp server: the signature then stays valid
#                after the certificate expires
#   PKCS12       the certificate and its private key
#   DESCRIPTION  the program's name as the elevation prompt shows it
# The password comes from the environment (VELMORANT_SIGN_PASSWORD; unset or empty: none) and reaches
# osslsigncode through a pipe, never its command line. With SOURCE_DATE_EPOCH set, that is the
# signing time, so two signings of the same file without a timestamp give the same bytes.
# On failure FILE is removed: the build then links it again instead of shipping it unsigned.
set -eu
timestamp=""
if [ "${1:-}" = -t ] && [ $# -ge 2 ]; then timestamp=$2; shift 2; fi
if [ $# -ne 3 ]; then
  echo "usage: sign.sh [-t TIMESTAMP-SERVER] PKCS12 DESCRIPTION FILE" >&2
  exit 2
fi
pkcs12=$1 description=$2 file=$3
options=(-pkcs12 "$pkcs12" -h sha256 -n "$description")
[ -n "$timestamp" ] && options+=(-ts "$timestamp")
[ -n "${SOURCE_DATE_EPOCH:-}" ] && options+=(-time "$SOURCE_DATE_EPOCH")
signed=$file.signed
rm -f "$signed"
sign() {
  if [ -n "${VELMORANT_SIGN_PASSWORD:-}" ]; then
    osslsigncode sign "${options[@]}" -readpass <(printf '%s' "$VELMORANT_SIGN_PASSWORD") \
      -in "$file" -out "$signed"
  else
    osslsigncode sign "${options[@]}" -in "$file" -out "$signed"
  fi
}
if sign >"$signed.log" 2>&1; then
  mv -f "$signed" "$file"
  rm -f "$signed.log"
else
  echo "sign.sh: could not sign $file:" >&2
  cat "$signed.log" >&2
  rm -f "$signed" "$signed.log" "$file"
  exit 1
fi
