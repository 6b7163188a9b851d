# The reference for the speed of the program: packets per source address and
# destination port of netfilter lines, counted the plain way awk would.
#   mawk -f bench/count_by_source_port.awk file.log
{
  src = ""
  dpt = ""
  for (i = 1; i <= NF; i++) {
    if (substr($i, 1, 4) == "SRC=") src = substr($i, 5)
    else if (substr($i, 1, 4) == "DPT=") dpt = substr($i, 5)
  }
  packets[src "\t" dpt]++
}
END {
  for (key in packets) print key "\t" packets[key]
}
