"""Reads a report with an independent reader and checks every point of its
layout against the expected table given as JSON: title, headings, widths,
rows and, when present, subtitle, numberColumns and totals ([label, value]).
Texts are compared as Excel shows them.

Usage: checkreport.py REPORT EXPECTED_JSON
Exit status 0 when the report matches; otherwise the differences on stderr.
"""
import json
import re
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


def whole_number(text):
    return re.fullmatch(r"0|[1-9][0-9]{0,14}", text) is not None


class Layout:
    """Where each part of the expected report sits (1-based rows)."""

    def __init__(self, want):
        self.columns = len(want["headings"])
        self.totals = want.get("totals", [])
        self.number_columns = set(want.get("numberColumns", []))
        self.subtitle = 2 if want.get("subtitle") else None
        self.headings = 3 if self.subtitle else 2
        self.first_data = self.headings + 1
        after_data = self.first_data + len(want["rows"])
        self.blank = after_data if self.totals else None
        self.first_total = after_data + 1 if self.totals else None
        self.last = (self.first_total + len(self.totals) if self.totals else after_data) - 1
        self.used_columns = max(self.columns, 2) if self.totals else self.columns
        self.merged_rows = [1] + ([self.subtitle] if self.subtitle else [])

    def cells(self, want):
        """(row, expected texts, is a heading-style row, number columns) of every gridded row."""
        yield self.headings, want["headings"], [True] * self.columns, set()
        for index, texts in enumerate(want["rows"]):
            yield self.first_data + index, texts, [False] * self.columns, self.number_columns
        for index, (label, value) in enumerate(self.totals):
            yield self.first_total + index, [label, value], [True, False], {1}


def excel_text(stored):
    # Excel reads "_xHHHH_" as the character HHHH ("_x005F_" is the underscore).
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), stored)


def read_strings_as_excel(xml_source):
    # openpyxl leaves the escapes in (and drops "x005F_" wherever it stands);
    # its shared strings are read here the way Excel reads them.
    from openpyxl.cell.text import Text
    from openpyxl.xml.constants import SHEET_MAIN_NS
    from openpyxl.xml.functions import iterparse
    strings = []
    for _, node in iterparse(xml_source):
        if node.tag == "{%s}si" % SHEET_MAIN_NS:
            strings.append(excel_text(Text.from_tree(node).content))
            node.clear()
    return strings


def check_xlsx(path, want, check):
    import openpyxl
    import openpyxl.reader.excel
    openpyxl.reader.excel.read_string_table = read_strings_as_excel
    book = openpyxl.load_workbook(path)
    check.equal("sheet count", len(book.worksheets), 1)
    sheet = book.worksheets[0]
    layout = Layout(want)
    columns = layout.columns
    last = column_letter(columns - 1)

    check.equal("used rows", sheet.max_row, layout.last)
    check.equal("used columns", sheet.max_column, layout.used_columns)
    merged = sorted(str(r) for r in sheet.merged_cells.ranges)
    check.equal("merged ranges", merged,
                ["A%d:%s%d" % (row, last, row) for row in layout.merged_rows] if columns > 1 else [])

    title = sheet["A1"]
    check.equal("title text", title.value, want["title"] or None)
    check.equal("title type", title.data_type, "s" if want["title"] else "n")
    check.equal("title size", title.font.sz, TITLE_POINTS)
    # The reader keeps the merged cell's format on A1 only.
    check.equal("A1 wrap", title.alignment.wrap_text, True)
    check.equal("A1 horizontal", title.alignment.horizontal, "center")
    check.equal("A1 vertical", title.alignment.vertical, "center")
    if layout.subtitle:
        line = sheet.cell(row=layout.subtitle, column=1)
        check.equal("subtitle text", line.value, want["subtitle"])
        check.equal("subtitle size", line.font.sz, 11)
        check.equal("subtitle bold", bool(line.font.b), False)
        check.equal("subtitle horizontal", line.alignment.horizontal, "center")
        check.equal("subtitle vertical", line.alignment.vertical, "center")
    for row in layout.merged_rows + ([layout.blank] if layout.blank else []):
        for column in range(layout.used_columns):
            cell = sheet.cell(row=row, column=column + 1)
            where = "%s%d" % (column_letter(column), row)
            if row == layout.blank:
                check.equal(where + " text", cell.value, None)
            for edge in ("left", "right", "top", "bottom"):
                check.equal(where + " border " + edge, getattr(cell.border, edge).style, None)

    check.equal("row 1 height", sheet.row_dimensions[1].height, TITLE_ROW_POINTS)
    for row in range(2, layout.last + 1):
        check.equal("row %d height" % row, sheet.row_dimensions[row].height, TABLE_ROW_POINTS)
    check.equal("row after table height", sheet.row_dimensions[layout.last + 1].height, None)

    for column, characters in enumerate(want["widths"]):
        letter = column_letter(column)
        check.equal("width " + letter, sheet.column_dimensions[letter].width, stored_width(characters) / 256)
        check.equal("whole width " + letter, int(sheet.column_dimensions[letter].width), characters)
        check.equal("hidden " + letter, bool(sheet.column_dimensions[letter].hidden), characters == 0)

    for row, expected_texts, headings, numbers in layout.cells(want):
        for column, heading in enumerate(headings):
            cell = sheet.cell(row=row, column=column + 1)
            where = "%s%d" % (column_letter(column), row)
            text = expected_texts[column] if column < len(expected_texts) else ""
            if column in numbers and whole_number(text):
                check.equal(where + " number", (cell.value, cell.data_type), (int(text), "n"))
            else:
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


def check_xls(path, want, check):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=True)
    check.equal("sheet count", book.nsheets, 1)
    sheet = book.sheet_by_index(0)
    layout = Layout(want)
    columns = layout.columns

    check.equal("used rows", sheet.nrows, layout.last)
    check.equal("used columns", sheet.ncols, layout.used_columns)
    check.equal("merged ranges", sheet.merged_cells,
                [(row - 1, row, 0, columns) for row in layout.merged_rows] if columns > 1 else [])

    def xf_of(row, column):
        return book.xf_list[sheet.cell_xf_index(row, column)]

    def colour(index):
        return book.colour_map.get(index)

    default_font = book.font_list[0]
    title = sheet.cell(0, 0)
    check.equal("title text", title.value, want["title"])
    check.equal("title type", title.ctype, xlrd.XL_CELL_TEXT if want["title"] else xlrd.XL_CELL_BLANK)
    check.equal("title size", book.font_list[xf_of(0, 0).font_index].height, TITLE_POINTS * 20)
    if layout.subtitle:
        line = sheet.cell(layout.subtitle - 1, 0)
        font = book.font_list[xf_of(layout.subtitle - 1, 0).font_index]
        check.equal("subtitle text", line.value, want["subtitle"])
        check.equal("subtitle font", (font.name, font.height, font.bold),
                    (default_font.name, default_font.height, 0))
    for row in layout.merged_rows:
        for column in range(columns):
            xf = xf_of(row - 1, column)
            where = "%s%d" % (column_letter(column), row)
            check.equal(where + " wrap", xf.alignment.text_wrapped, 1 if row == 1 else 0)
            check.equal(where + " horizontal", xf.alignment.hor_align, 2)
            check.equal(where + " vertical", xf.alignment.vert_align, 1)
            for edge in ("left", "right", "top", "bottom"):
                check.equal(where + " border " + edge, getattr(xf.border, edge + "_line_style"), 0)
    if layout.blank:
        for column in range(layout.used_columns):
            check.equal("blank row %s" % column_letter(column), sheet.cell_type(layout.blank - 1, column),
                        xlrd.XL_CELL_EMPTY)

    check.equal("row 1 height", sheet.rowinfo_map[0].height, TITLE_ROW_POINTS * 20)
    for row in range(layout.last):
        info = sheet.rowinfo_map[row]
        check.equal("row %d custom height" % (row + 1), (info.has_default_height, info.height_mismatch), (0, 1))
        if row:
            check.equal("row %d height" % (row + 1), info.height, TABLE_ROW_POINTS * 20)
    check.equal("rows with a height", sorted(sheet.rowinfo_map), list(range(layout.last)))

    for column, characters in enumerate(want["widths"]):
        check.equal("width " + column_letter(column), sheet.colinfo_map[column].width, stored_width(characters))
        check.equal("hidden " + column_letter(column), sheet.colinfo_map[column].hidden, int(characters == 0))
    check.equal("columns with a width", sorted(sheet.colinfo_map), list(range(len(want["widths"]))))

    for row, expected_texts, headings, numbers in layout.cells(want):
        row -= 1
        for column, heading in enumerate(headings):
            cell = sheet.cell(row, column)
            xf = xf_of(row, column)
            font = book.font_list[xf.font_index]
            where = "%s%d" % (column_letter(column), row + 1)
            text = expected_texts[column] if column < len(expected_texts) else ""
            if column in numbers and whole_number(text):
                check.equal(where + " number", (cell.value, cell.ctype), (float(text), xlrd.XL_CELL_NUMBER))
            else:
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
