#!/usr/bin/env bash
# Writes the demonstration's sample step file (GBK, CR LF) to the path given: discharge at
# 1 A to 3.0 V, rest a minute, charge at 1 A to 4.2 V down to 0.2 A; three passes.
set -euo pipefail
{
  printf -- '----------www.cellward.example--------------\r\n'
  row=0
  for step in "恒流放 01.00 03.00 00.00 0" "搁置 00.00 00.00 00.00 1" \
              "恒压充 01.00 04.20 00.20 0" "循环 00.00 00.00 00.00 3"; do
    row=$((row + 1)); col=1
    for cell in $step; do printf '%02d%d:%s\r\n' "$row" "$col" "$cell"; col=$((col + 1)); done
  done
} | iconv -f UTF-8 -t GBK > "$1"
