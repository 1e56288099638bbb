# The demonstrations' sample step program, sourced by demo.sh, lab_demo.sh and a11y_check.sh:
# discharge at 1 A to 3.0 V, rest a minute, charge at 1 A to 4.2 V down to 0.2 A; three passes.
write_sample_program() {
  {
    printf -- '----------www.cellward.example--------------\r\n'
    local row=0 col step cell
    for step in "恒流放 01.00 03.00 00.00 0" "搁置 00.00 00.00 00.00 1" \
                "恒压充 01.00 04.20 00.20 0" "循环 00.00 00.00 00.00 3"; do
      row=$((row + 1)); col=1
      for cell in $step; do printf '%02d%d:%s\r\n' "$row" "$col" "$cell"; col=$((col + 1)); done
    done
  } | iconv -f UTF-8 -t GBK > "$1"
}
