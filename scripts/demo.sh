#!/usr/bin/env bash
# Repairs the bundled keyed clip into out/demo/ with a contact sheet and says
# where the results are. Builds nothing: `make demo` builds first.
# HOLVANE may name another holvane executable (default: build/cli/holvane).
set -euo pipefail
cd "$(dirname "$0")/.."

holvane="${HOLVANE:-build/cli/holvane}"
if [ ! -x "$holvane" ]; then
  echo "demo.sh: $holvane is not built; run 'make demo' (or 'make build' first)" >&2
  exit 1
fi

clip=examples/ocean_parrotfish/frame.%04d.png
out=out/demo
mkdir -p "$out"
"$holvane" render "$clip" "$out/frame.%04d.png" --contact-sheet "$out/contact_sheet.png" --stats

echo
echo "Repaired frames: $out/frame.0001.png ... (one per input frame, straight alpha)"
echo "Contact sheet:   $out/contact_sheet.png (per frame: input | repaired result | Show info)"
