#!/usr/bin/env bash
# Signs shipped files in place with the packager's code-signing certificate:
#   VELLUMARK_SIGNING_CERTIFICATE  path of a PKCS#12 (.pfx) file
#   VELLUMARK_SIGNING_PASSWORD     its password
# Usage: scripts/sign.sh FILE...
set -euo pipefail

: "${VELLUMARK_SIGNING_CERTIFICATE:?set it to the PKCS#12 certificate file}"
: "${VELLUMARK_SIGNING_PASSWORD?set it to the password of the certificate}"
[ "$#" -gt 0 ] || { echo "usage: $0 FILE..." >&2; exit 2; }

for file in "$@"; do
  signed="$file.signed"
  osslsigncode sign -pkcs12 "$VELLUMARK_SIGNING_CERTIFICATE" \
    -pass "$VELLUMARK_SIGNING_PASSWORD" -h sha256 \
    -n Vellumark -i https://orrindale.example/vellumark \
    -in "$file" -out "$signed" >/dev/null
  mv "$signed" "$file"
  echo "signed $file"
done
