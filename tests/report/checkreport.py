"""Reads a report with an independent reader and checks every point of its
layout against the expected table given as JSON.

Usage: checkreport.py REPORT EXPECTED_JSON
Exit status 0 when the report matches; otherwise the differences on stderr.
"""
import json
import sys

TITLE_POINTS = 18
TITLE_ROW_POINTS = 30
TABLE_ROW_POINTS = 20
HEADING_FILL = (191, 191, 191)
BLACK = (0, 0, 0)


def stored_width(characters):
    # A width of n characters as Excel stores it: padding included, 1/256
    # units; zero hides the column.
    if characters == 0:
        return 0
    return (characters * 7 + 5) * 256 // 7


class Checker:
    def __init__(self):
        self.problems = []

    def equal(self, what, actual, expected):
        if actual != expected:
            self.problems.append("%s: got %r, expected %r" % (what, actual, expected))


def column_letter(index):
    return chr(65 + index)


def check_xlsx(path, want, check):
    import openpyxl
    book = openpyxl.load_workbook(path)
    check.equal("sheet count", len(book.worksheets), 1)
    sheet = book.worksheets[0]
    columns = len(want["headings"])
    rows = len(want["rows"])
    last = column_letter(columns - 1)

    check.equal("used rows", sheet.max_row, rows + 2)
    check.equal("used columns", sheet.max_column, columns)
    merged = sorted(str(r) for r in sheet.merged_cells.ranges)
    check.equal("merged ranges", merged, ["A1:%s1" % last] if columns > 1 else [])

    title = sheet["A1"]
    check.equal("title text", title.value, want["title"] or None)
    check.equal("title type", title.data_type, "s" if want["title"] else "n")
    check.equal("title size", title.font.sz, TITLE_POINTS)
    # The reader keeps the merged cell's format on A1 only.
    check.equal("A1 wrap", title.alignment.wrap_text, True)
    check.equal("A1 horizontal", title.alignment.horizontal, "center")
    check.equal("A1 vertical", title.alignment.vertical, "center")
    for column in range(columns):
        cell = sheet.cell(row=1, column=column + 1)
        where = "%s1" % column_letter(column)
        for edge in ("left", "right", "top", "bottom"):
            check.equal(where + " border " + edge, getattr(cell.border, edge).style, None)

    check.equal("row 1 height", sheet.row_dimensions[1].height, TITLE_ROW_POINTS)
    for row in range(2, rows + 3):
        check.equal("row %d height" % row, sheet.row_dimensions[row].height, TABLE_ROW_POINTS)
    check.equal("row after table height", sheet.row_dimensions[rows + 3].height, None)

    for column, characters in enumerate(want["widths"]):
        letter = column_letter(column)
        check.equal("width " + letter, sheet.column_dimensions[letter].width, stored_width(characters) / 256)
        check.equal("whole width " + letter, int(sheet.column_dimensions[letter].width), characters)
        check.equal("hidden " + letter, bool(sheet.column_dimensions[letter].hidden), characters == 0)

    def texts_and_grid(row, expected_texts, heading):
        for column in range(columns):
            cell = sheet.cell(row=row, column=column + 1)
            where = "%s%d" % (column_letter(column), row)
            text = expected_texts[column] if column < len(expected_texts) else ""
            check.equal(where + " text", cell.value, text if text else None)
            if text:
                check.equal(where + " type", cell.data_type, "s")
            for edge in ("left", "right", "top", "bottom"):
                side = getattr(cell.border, edge)
                check.equal(where + " border " + edge, side.style, "thin")
                check.equal(where + " border colour " + edge, side.color.rgb if side.color else None, "FF000000")
            check.equal(where + " bold", bool(cell.font.b), heading)
            if heading:
                check.equal(where + " fill", cell.fill.fill_type, "solid")
                check.equal(where + " fill colour", cell.fill.fgColor.rgb, "FF%02X%02X%02X" % HEADING_FILL)
                check.equal(where + " horizontal", cell.alignment.horizontal, "center")
                check.equal(where + " vertical", cell.alignment.vertical, "center")
            else:
                check.equal(where + " fill", cell.fill.fill_type, None)
                check.equal(where + " size", cell.font.sz, 11)
                check.equal(where + " horizontal", cell.alignment.horizontal, None)
                check.equal(where + " vertical", cell.alignment.vertical, None)
                check.equal(where + " wrap", bool(cell.alignment.wrap_text), False)

    texts_and_grid(2, want["headings"], True)
    for index, cells in enumerate(want["rows"]):
        texts_and_grid(index + 3, cells, False)


def check_xls(path, want, check):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=True)
    check.equal("sheet count", book.nsheets, 1)
    sheet = book.sheet_by_index(0)
    columns = len(want["headings"])
    rows = len(want["rows"])

    check.equal("used rows", sheet.nrows, rows + 2)
    check.equal("used columns", sheet.ncols, columns)
    check.equal("merged ranges", sheet.merged_cells, [(0, 1, 0, columns)] if columns > 1 else [])

    def xf_of(row, column):
        return book.xf_list[sheet.cell_xf_index(row, column)]

    def colour(index):
        return book.colour_map.get(index)

    default_font = book.font_list[0]
    title = sheet.cell(0, 0)
    check.equal("title text", title.value, want["title"])
    check.equal("title type", title.ctype, xlrd.XL_CELL_TEXT if want["title"] else xlrd.XL_CELL_BLANK)
    check.equal("title size", book.font_list[xf_of(0, 0).font_index].height, TITLE_POINTS * 20)
    for column in range(columns):
        xf = xf_of(0, column)
        where = "%s1" % column_letter(column)
        check.equal(where + " wrap", xf.alignment.text_wrapped, 1)
        check.equal(where + " horizontal", xf.alignment.hor_align, 2)
        check.equal(where + " vertical", xf.alignment.vert_align, 1)
        for edge in ("left", "right", "top", "bottom"):
            check.equal(where + " border " + edge, getattr(xf.border, edge + "_line_style"), 0)

    check.equal("row 1 height", sheet.rowinfo_map[0].height, TITLE_ROW_POINTS * 20)
    for row in range(rows + 2):
        info = sheet.rowinfo_map[row]
        check.equal("row %d custom height" % (row + 1), (info.has_default_height, info.height_mismatch), (0, 1))
        if row:
            check.equal("row %d height" % (row + 1), info.height, TABLE_ROW_POINTS * 20)
    check.equal("rows with a height", sorted(sheet.rowinfo_map), list(range(rows + 2)))

    for column, characters in enumerate(want["widths"]):
        check.equal("width " + column_letter(column), sheet.colinfo_map[column].width, stored_width(characters))
        check.equal("hidden " + column_letter(column), sheet.colinfo_map[column].hidden, int(characters == 0))
    check.equal("columns with a width", sorted(sheet.colinfo_map), list(range(len(want["widths"]))))

    def texts_and_grid(row, expected_texts, heading):
        for column in range(columns):
            cell = sheet.cell(row, column)
            xf = xf_of(row, column)
            font = book.font_list[xf.font_index]
            where = "%s%d" % (column_letter(column), row + 1)
            text = expected_texts[column] if column < len(expected_texts) else ""
            check.equal(where + " text", cell.value, text)
            check.equal(where + " type", cell.ctype, xlrd.XL_CELL_TEXT if text else xlrd.XL_CELL_BLANK)
            for edge in ("left", "right", "top", "bottom"):
                check.equal(where + " border " + edge, getattr(xf.border, edge + "_line_style"), 1)
                check.equal(where + " border colour " + edge, colour(getattr(xf.border, edge + "_colour_index")), BLACK)
            check.equal(where + " bold", font.bold, 1 if heading else 0)
            if heading:
                check.equal(where + " fill", xf.background.fill_pattern, 1)
                check.equal(where + " fill colour", colour(xf.background.pattern_colour_index), HEADING_FILL)
                check.equal(where + " horizontal", xf.alignment.hor_align, 2)
                check.equal(where + " vertical", xf.alignment.vert_align, 1)
            else:
                check.equal(where + " fill", xf.background.fill_pattern, 0)
                check.equal(where + " font", (font.name, font.height), (default_font.name, default_font.height))
                check.equal(where + " horizontal", xf.alignment.hor_align, 0)
                check.equal(where + " vertical", xf.alignment.vert_align, 2)
                check.equal(where + " wrap", xf.alignment.text_wrapped, 0)

    texts_and_grid(1, want["headings"], True)
    for index, cells in enumerate(want["rows"]):
        texts_and_grid(index + 2, cells, False)


def main():
    path, expected = sys.argv[1], sys.argv[2]
    with open(expected, encoding="utf-8") as handle:
        want = json.load(handle)
    check = Checker()
    if path.lower().endswith(".xlsx"):
        check_xlsx(path, want, check)
    else:
        check_xls(path, want, check)
    for problem in check.problems[:40]:
        print(problem, file=sys.stderr)
    if len(check.problems) > 40:
        print("... %d problems in all" % len(check.problems), file=sys.stderr)
    return 1 if check.problems else 0


if __name__ == "__main__":
    sys.exit(main())
