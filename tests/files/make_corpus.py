#!/usr/bin/env python3
"""Writes the malformed and odd lap-time files of corpus/.

Each file is a small change to one well-formed race (2 segments, 3 laps).
tst_lapfile (corpusFile) holds what each file must give; add a row there for every
file added here. Run from this folder: python3 make_corpus.py

Lines are numbered from 1 in the file and from 0 in the lists below: line k
of the block of row r is list index 13 + 7r + k.
"""
import os

MARK = "QVM-SW*1.10"
SEP = "  ```  "


def pf(v):
    """Print form: sign place, shortest digits, no leading zero, trailing blank."""
    s = ("%.15g" % v)
    if s.startswith("0."):
        s = s[1:]
    elif s.startswith("-0."):
        s = "-" + s[2:]
    return (s if s.startswith("-") else " " + s) + " "


def lines_of_race(num_segs=2, last_lap=3, comments=("first line", "second line"), path=None):
    lines = [MARK, pf(num_segs)] + [pf(last_lap)] * 11
    for r in range(251):
        cells = [""] * 8
        flag, traffic, pos = 0, 0, ""
        if r == 0:
            cells[num_segs] = pf(1.25)
        elif r <= last_lap:
            for c in range(1, num_segs + 1):
                cells[c] = pf(1.25 + 30.5 * (r - 1) + 15.125 * c)
            flag, traffic, pos = r % 2, r % 3, pf(r)
        lines += cells[0:5]
        lines.append((" %d" % flag) + SEP + (" %d" % traffic))
        lines.append(pos)
    if path is not None:
        lines.append(path)
    lines += list(comments) + ["-9999", " 0 "]
    return lines


def write(name, lines, eol="\r\n", last_eol=True):
    data = eol.join(lines) + (eol if last_eol else "")
    write_bytes(name, data.encode("cp1252"))


def write_ends(name, lines, ends, eol="\r\n"):
    """Lines ended by eol, except line i (list index) ended by ends[i]."""
    data = "".join(line + ends.get(i, eol) for i, line in enumerate(lines))
    write_bytes(name, data.encode("cp1252"))


def write_bytes(name, data):
    with open(os.path.join("corpus", name), "wb") as f:
        f.write(data)


def main():
    os.makedirs("corpus", exist_ok=True)
    good = lines_of_race()
    write("good-race.txt", good)
    write("good-exchange.txt", lines_of_race(path=r"C:\Prog\LapTimeFiles\Heat1.txt"))
    write_bytes("empty.txt", b"")
    write("wrong-mark.txt", ["QVM-SW*1.00"] + good[1:])
    write("mark-trailing-text.txt", [MARK + "xyz"] + good[1:])
    write("mark-then-comma-field.txt", [MARK + ",anything"] + good[1:])
    write("mark-leading-blanks.txt", ["   " + MARK] + good[1:])
    write("mark-only.txt", [MARK])
    write("truncated-in-header.txt", good[:7])
    write("truncated-in-first-row.txt", good[:16])
    write("truncated-mid-rows.txt", good[:900])
    write("truncated-in-last-row.txt", good[:1769])
    write("ends-after-rows.txt", good[:1770])
    write("closing-line-without-line-end.txt", good, last_eol=False)
    write("header-abc.txt", [MARK, "abc"] + good[2:])
    write("numsegs-0.txt", [MARK, pf(0)] + good[2:])
    write("numsegs-9.txt", [MARK, pf(9)] + good[2:])
    write("numsegs-fraction.txt", [MARK, " 2.5 "] + good[2:])
    write("lastlap-minus-1.txt", [MARK, pf(2)] + [pf(-1)] * 11 + good[13:])
    write("lastlap-251.txt", [MARK, pf(2)] + [pf(251)] * 11 + good[13:])
    write("lastlap-99999.txt", [MARK, pf(2)] + [pf(99999)] * 11 + good[13:])
    write("lastlap-1e400.txt", [MARK, pf(2), " 1e400 "] + good[3:])
    write("header-copy-not-a-number.txt", good[:10] + ["x"] + good[11:])
    write_bytes("binary.txt", bytes(range(256)) * 4)
    write_bytes("binary-after-mark.txt", MARK.encode() + b"\r\n" + bytes(range(256)) * 40)
    write("cr-only-line-ends.txt", good, eol="\r")
    write("lf-only-line-ends.txt", good, eol="\n")
    odd_sep = list(good)
    odd_sep[13 + 7 * 1 + 5] = " 2"  # row 1, combined line without its separator
    write("condition-without-separator.txt", odd_sep)
    odd = list(good)
    for k, text in enumerate(["nan", "1e400", "-0", ",5", "12,5"]):
        odd[13 + 7 * 2 + k] = text  # row 2, columns 0..4
    odd[13 + 7 * 2 + 6] = "-1e400"
    write("odd-cells.txt", odd)
    write("no-end-mark.txt", good[:1770] + ["only comment", "", "after empty line"])
    write("comments-with-empty-lines.txt", good[:1770] + ["a", "", "b", "", "-9999", " 0 "])
    write("nul-bytes-in-cells.txt", good[:13 + 7 + 1] + ["\0\0\0"] + good[13 + 7 + 2:])
    # One line end unlike the first line's, which would shift every later
    # value by a line if it were taken as it comes.
    stray = list(good)
    stray[36:37] = [" 92", ".5 "]  # a lone LF inside line 37, " 92.5 " (row 3, segment 2)
    write_ends("stray-lf-in-row.txt", stray, {36: "\n"})
    write_ends("stray-cr-in-header.txt", good, {4: "\r"})
    comment = list(good)
    comment[1770:1771] = ["first", "line"]  # the first comment line broken by a lone LF
    write_ends("stray-lf-in-comments.txt", comment, {1770: "\n"})
    write_ends("crlf-in-lf-file.txt", good, {899: "\r\n"}, eol="\n")
    # What follows the end mark is never read, whatever its line ends: a line
    # end of another kind there, an editor's extra line break, a Ctrl-Z, a
    # second file appended. The end mark's own line end is read.
    write_ends("lf-after-end-mark.txt", good, {len(good) - 1: "\n"})
    write_bytes("extra-lf-after-closing-line.txt", ("\r\n".join(good) + "\r\n\n").encode("cp1252"))
    write_bytes("ctrl-z-after-closing-line.txt", ("\r\n".join(good) + "\r\n\x1a").encode("cp1252"))
    write_bytes("second-file-appended.txt", ("\r\n".join(good) + "\r\n" + "\n".join(good) + "\n").encode("cp1252"))
    write_ends("cr-file-lf-after-end-mark.txt", good, {len(good) - 2: "\r\n"}, eol="\r")
    write_ends("lf-at-end-mark.txt", good, {len(good) - 2: "\n"})
    write_ends("stray-lf-after-path-line.txt", lines_of_race(path=r"C:\Prog\LapTimeFiles\Heat1.txt"), {1770: "\n"})


if __name__ == "__main__":
    main()
