# Counts the CSV records of the chaos request that do not hold the PLC's values
# (see chaos-memory.txt): 69 fields, bytes B1..B60 equal to 4..63, and with
# -v monotonic=1 a counter C that never runs backwards. Prints the first few.
NR == 1 { next }
{
  bad = NF != 69 || (monotonic && $9 < last)
  for (k = 10; k <= 69 && !bad; k++) bad = $k != k - 6
  last = $9
  if (bad) {
    wrong++
    if (wrong <= 3) print "wrong record: " $0 > "/dev/stderr"
  }
}
END { print wrong + 0 }
