#!/usr/bin/env bash
# The signing step signs both files with the packager's certificate, and the
# signatures verify against it. The certificate is a throwaway made here.
set -euo pipefail
build="$VELLUMARK_BUILD_DIR"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vellumark test signer" \
  -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" \
  -passout pass:secret -out "$scratch/signer.pfx"

cp "$build/launcher.exe" "$build/Vellupanel.cpl" "$scratch/"
VELLUMARK_SIGNING_CERTIFICATE="$scratch/signer.pfx" VELLUMARK_SIGNING_PASSWORD=secret \
  "$VELLUMARK_SOURCE_DIR/scripts/sign.sh" "$scratch/launcher.exe" "$scratch/Vellupanel.cpl"

for file in launcher.exe Vellupanel.cpl; do
  cmp -s "$build/$file" "$scratch/$file" && fail "$file was not changed by signing"
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$scratch/$file" >"$scratch/verify.txt" 2>&1 ||
    { cat "$scratch/verify.txt"; fail "$file does not verify"; }
  grep -q 'Signature verification: ok' "$scratch/verify.txt" || fail "$file: no good signature"
  # An unsigned file must not pass the same check.
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$build/$file" >/dev/null 2>&1 &&
    fail "the unsigned $file verified"
done
echo "ok: both files signed and verified"
