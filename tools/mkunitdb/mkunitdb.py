#!/usr/bin/env python3
"""Builds the built-in unit database package from the tables in data/builtin.

Each <table>.tsv becomes one SQLite table; the SQLite file is stored as the part
"/ud_part" of a zip package that follows the Open Packaging Conventions. The
same run writes the reference list of what the database holds (docs/units.md).

    mkunitdb.py SOURCE_DIR PACKAGE [--docs UNITS_MD]   refuses bad rows, naming file and line
    mkunitdb.py --check PACKAGE     run every query the loader runs, fail on error
"""

import argparse
import os
import re
import sqlite3
import sys
import tempfile
import zipfile
from collections import defaultdict

PART_NAME = "ud_part"
PART_CONTENT_TYPE = "application/vnd.tarvel.hexlan.data-export"
INTEGER_COLUMNS = {"Id", "PhysicalQuantity", "PhysicalQuantityA", "PhysicalQuantityB",
                   "ConversionFactor", "UnitPrefix", "RefUnit", "RefPrefix", "FactorType", "Year"}
NOT_TABLES = {"REFERENCE_VALUES"}

# The queries the library's loader runs, in its order; --check proves that a
# package answers all of them.
LOADER_QUERIES = [
    "SELECT Value FROM unitdb_metadata WHERE Name='Version'",
    "SELECT Name FROM unit_systems ORDER BY Id",
    "SELECT Name, Title, Subtitle, Organization, OrganizationFullName, Year, URLs, Edition FROM provenances ORDER BY Id",
    "SELECT Name, Expression FROM physical_quantities ORDER BY Id",
    "SELECT a.Name, b.Name, c.FactorType, c.ConversionFactorStr FROM physical_quantity_relations r INNER JOIN physical_quantities a ON a.Id = r.PhysicalQuantityA INNER JOIN physical_quantities b ON b.Id = r.PhysicalQuantityB INNER JOIN conversion_factors c ON c.Id = r.ConversionFactor ORDER BY r.Id",
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, a.Display, a.UnitSystemGroup, a.ProvenanceGroup, b.FactorType, b.ConversionFactorStr FROM unit_prefixes a INNER JOIN conversion_factors b ON a.ConversionFactor=b.Id ORDER BY a.Id",
    "SELECT b.Name FROM unit_system_groups_to_unit_systems a INNER JOIN unit_systems b ON b.Id = a.unit_systems_id WHERE a.unit_system_groups_id = 1",
    "SELECT b.Name FROM provenance_groups_to_provenances a INNER JOIN provenances b ON b.Id = a.provenances_id WHERE a.provenance_groups_id = 1",
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, a.Display, b.Name AS UnitPrefix, a.UnitSystemGroup, a.ProvenanceGroup FROM prefix_aliases a INNER JOIN unit_prefixes b ON b.Id = a.UnitPrefix ORDER BY a.Id",
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, a.Expression, a.Display, b.Name, a.SubUnit, a.UnitSystemGroup, a.PrefixGroup, c.FactorType, c.ConversionFactorStr FROM units a INNER JOIN physical_quantities b ON a.PhysicalQuantity = b.Id INNER JOIN conversion_factors c ON a.ConversionFactor = c.Id ORDER BY a.Id",
    "SELECT unit_systems.Name FROM unit_system_groups INNER JOIN unit_system_groups_to_unit_systems ON unit_system_groups.Id = unit_system_groups_to_unit_systems.unit_system_groups_id INNER JOIN unit_systems ON unit_systems.Id = unit_system_groups_to_unit_systems.unit_systems_id WHERE unit_system_groups.Id = 1",
    "SELECT unit_prefixes.Name FROM prefix_groups INNER JOIN prefix_groups_to_prefixes ON prefix_groups.Id = prefix_groups_to_prefixes.prefix_groups_id INNER JOIN unit_prefixes ON unit_prefixes.Id = prefix_groups_to_prefixes.unit_prefixes_id WHERE prefix_groups.Id = 1",
    "SELECT a.Name, a.Symbol, a.AsciiSymbol, IFNULL(c.Symbol, '') || b.Symbol, a.Display, a.UnitSystemGroup FROM unit_aliases a INNER JOIN units b ON a.RefUnit=b.Id LEFT OUTER JOIN unit_prefixes c ON a.RefPrefix=c.Id ORDER BY a.Id",
    "SELECT a.Symbol, c.Name FROM units a INNER JOIN provenance_groups_to_provenances b ON a.ProvenanceGroup = b.provenance_groups_id INNER JOIN provenances c ON c.Id = b.provenances_id",
    "SELECT COALESCE(c.Symbol, c.AsciiSymbol, c.Name) AS AliasName, a.Name AS ProvenanceName FROM provenances a INNER JOIN provenance_groups_to_provenances b ON a.Id = b.provenances_id INNER JOIN unit_aliases c ON c.ProvenanceGroup = b.provenance_groups_id",
    "SELECT a.Name, c.Name FROM physical_quantities a INNER JOIN provenance_groups_to_provenances b ON a.ProvenanceGroup = b.provenance_groups_id INNER JOIN provenances c ON c.Id = b.provenances_id",
    "SELECT a.Symbol, b.Name FROM units a INNER JOIN physical_quantities b ON a.PhysicalQuantity = b.Id ORDER BY a.Id",
    "SELECT a.Symbol, c.Name FROM unit_aliases a INNER JOIN units b ON a.RefUnit = b.Id INNER JOIN physical_quantities c ON b.PhysicalQuantity = c.Id WHERE a.AsciiSymbol IS NOT NULL ORDER BY a.Id",
    "SELECT a.unitexpr, b.Name FROM unit_expr_to_physical_quantity a INNER JOIN physical_quantities b ON a.PhysicalQuantity = b.Id ORDER BY a.Id",
]


class SourceError(Exception):
    pass


def column_type(name):
    if name in INTEGER_COLUMNS or name.endswith("Group") or name.endswith("_id"):
        return "INTEGER"
    return "TEXT"


def read_table(path):
    """Header, rows and the line number of each row of one table file; empty
    fields are None (SQL NULL)."""
    header = None
    rows = []
    lines = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line:
                raise SourceError(f"{path}:{number}: blank line")
            fields = line.split("\t")
            if header is None:
                header = fields
                continue
            if len(fields) != len(header):
                raise SourceError(
                    f"{path}:{number}: {len(fields)} fields, header has {len(header)}")
            row = []
            for name, value in zip(header, fields):
                if value == "":
                    row.append(None)
                elif column_type(name) == "INTEGER":
                    try:
                        row.append(int(value))
                    except ValueError:
                        raise SourceError(f"{path}:{number}: {name} '{value}' is not an integer")
                else:
                    row.append(value)
            rows.append(row)
            lines.append(number)
    if header is None:
        raise SourceError(f"{path}: no header line")
    return header, rows, lines


def read_source(source_dir):
    tables = {}
    for entry in sorted(os.listdir(source_dir)):
        stem, ext = os.path.splitext(entry)
        if ext == ".tsv" and stem not in NOT_TABLES:
            tables[stem] = read_table(os.path.join(source_dir, entry))
    if not tables:
        raise SourceError(f"{source_dir}: no table files")
    return tables


INTEGER = r"-?\d+"
NUMBER = r"[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?"
# The text each factor kind accepts; a denominator of zero is refused apart.
FACTOR_FORMS = {
    1: re.compile(NUMBER),
    2: re.compile(f"{INTEGER},{INTEGER}"),
    3: re.compile(f"{INTEGER},{INTEGER},{INTEGER}"),
    4: re.compile(f"{INTEGER},{INTEGER},{INTEGER},{INTEGER}"),
    5: re.compile(f"{NUMBER},{NUMBER}"),
    6: re.compile(NUMBER),
}
DENOMINATORS = {2: (1,), 3: (1,), 4: (1, 3)}


def records(source_dir, tables, name):
    """(where, row as a dict) for each row of one table; where is file:line."""
    header, rows, lines = tables[name]
    path = os.path.join(source_dir, name + ".tsv")
    return [(f"{path}:{line}", dict(zip(header, row))) for row, line in zip(rows, lines)]


def check_factor(where, kind, text):
    form = FACTOR_FORMS.get(kind)
    if form is None or text is None or not form.fullmatch(text):
        raise SourceError(f"{where}: bad factor '{text}' for factor type {kind}")
    parts = text.split(",")
    if any(int(parts[i]) == 0 for i in DENOMINATORS.get(kind, ())):
        raise SourceError(f"{where}: bad factor '{text}': zero denominator")
    if kind in (1, 6) and float(text) == 0:
        raise SourceError(f"{where}: bad factor '{text}': zero")


def validate(source_dir, tables):
    """Refuses what would load as a wrong or unreachable entry: a bad factor
    text, a reference to a quantity or factor that does not exist, a symbol
    or name that two rows claim, a unit or quantity without a source."""
    factors = {}
    for where, r in records(source_dir, tables, "conversion_factors"):
        check_factor(where, r["FactorType"], r["ConversionFactorStr"])
        factors[r["Id"]] = r
    quantities = {r["Id"] for _, r in records(source_dir, tables, "physical_quantities")}
    groups = {r["provenance_groups_id"]
              for _, r in records(source_dir, tables, "provenance_groups_to_provenances")}
    for where, r in records(source_dir, tables, "physical_quantity_relations"):
        for column in ("PhysicalQuantityA", "PhysicalQuantityB"):
            if r[column] not in quantities:
                raise SourceError(f"{where}: unknown quantity {r[column]}")
        if r["ConversionFactor"] not in factors:
            raise SourceError(f"{where}: unknown factor {r['ConversionFactor']}")
    for table in ("physical_quantities", "units"):
        for where, r in records(source_dir, tables, table):
            if r["ProvenanceGroup"] not in groups:
                raise SourceError(f"{where}: {r['Name']} has no source "
                                  f"(provenance group {r['ProvenanceGroup']})")
    # Names and symbols share one namespace: a lookup searches both.
    claimed = {}

    def claim(where, kind, text):
        if text is None:
            return
        first = claimed.setdefault(text, where)
        if first != where:
            raise SourceError(f"{where}: duplicate {kind} '{text}', first at {first}")

    for where, r in records(source_dir, tables, "units"):
        if r["PhysicalQuantity"] not in quantities:
            raise SourceError(f"{where}: unknown quantity {r['PhysicalQuantity']}")
        if r["ConversionFactor"] not in factors:
            raise SourceError(f"{where}: unknown factor {r['ConversionFactor']}")
        claim(where, "name", r["Name"])
        claim(where, "symbol", r["Symbol"])
        claim(where, "symbol", r["AsciiSymbol"])
    for where, r in records(source_dir, tables, "unit_aliases"):
        claim(where, "name", r["Name"])
        claim(where, "symbol", r["Symbol"])
        claim(where, "symbol", r["AsciiSymbol"])


# Group tables stored clustered by group rather than indexed (see write_database).
CLUSTERED_GROUP_TABLES = ("unit_system_groups_to_unit_systems", "prefix_groups_to_prefixes")

# The columns that the provenance mappings read from each entity table they
# join on its group: kept in the group's index, the join never visits the table.
PROVENANCE_MAPPING_COLUMNS = {
    "units": ("Symbol",),
    "unit_aliases": ("Symbol", "AsciiSymbol", "Name"),
    "physical_quantities": ("Name",),
}


def write_database(tables, path):
    db = sqlite3.connect(path)
    try:
        for table, (header, rows, _) in tables.items():
            columns = []
            for name in header:
                key = " PRIMARY KEY" if name == "Id" else ""
                columns.append(f'"{name}" {column_type(name)}{key}')
            if table in CLUSTERED_GROUP_TABLES:
                # The loader asks these for the members of one group per unit,
                # prefix and alias: kept in group order, with a member's place
                # in its group as the rest of the key, each answer is one range
                # of the table, in the order the members were listed.
                columns.append(f'"Seq" INTEGER, PRIMARY KEY ("{header[0]}", "Seq")')
                db.execute(f'CREATE TABLE "{table}" ({", ".join(columns)}) WITHOUT ROWID')
                db.executemany(f'INSERT INTO "{table}" VALUES ({", ".join("?" for _ in header)}, ?)',
                               [(*row, seq) for seq, row in enumerate(rows, 1)])
                continue
            db.execute(f'CREATE TABLE "{table}" ({", ".join(columns)})')
            marks = ", ".join("?" for _ in header)
            db.executemany(f'INSERT INTO "{table}" VALUES ({marks})', rows)
            # The loader asks a mapping table for the members of one group per
            # entity; without an index SQLite builds one for every such query.
            if "Id" not in header and header and header[0].endswith("_id"):
                db.execute(f'CREATE INDEX "{table}_by_{header[0]}" ON "{table}" ("{header[0]}")')
            # The provenance mappings join each entity table on its group; the
            # index saves SQLite building one per query at every load. Prefixes
            # are not joined on theirs.
            if table in PROVENANCE_MAPPING_COLUMNS:
                indexed = ", ".join(f'"{c}"' for c in
                                    ("ProvenanceGroup", *PROVENANCE_MAPPING_COLUMNS[table]))
                db.execute(f'CREATE INDEX "{table}_by_ProvenanceGroup" ON "{table}" ({indexed})')
        # The unit-to-quantity map reads an alias's Symbol when it has an ASCII
        # symbol: one that leaves its Symbol to its unit gets that unit's
        # (prefixed) symbol written out, which is what the alias takes anyway.
        db.execute(
            "UPDATE unit_aliases SET Symbol = (SELECT IFNULL(p.Symbol, '') || u.Symbol "
            "FROM units u LEFT OUTER JOIN unit_prefixes p ON p.Id = unit_aliases.RefPrefix "
            "WHERE u.Id = unit_aliases.RefUnit) WHERE Symbol IS NULL AND AsciiSymbol IS NOT NULL")
        db.commit()
    finally:
        db.close()


def content_types():
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="xml" ContentType="application/xml"/>'
            f'<Override PartName="/{PART_NAME}" ContentType="{PART_CONTENT_TYPE}"/>'
            '</Types>\n')


def write_package(db_path, package_path):
    os.makedirs(os.path.dirname(os.path.abspath(package_path)), exist_ok=True)
    partial = package_path + ".partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", content_types())
        # Stored as it is: every start copies the part out, and inflating it
        # took more time than the copy (the package is 160 KB larger).
        z.write(db_path, PART_NAME, compress_type=zipfile.ZIP_STORED)
    os.replace(partial, package_path)


def markdown_cell(text):
    return (text or "").replace("|", "\\|").replace("\\_", "_")


def write_docs(tables, path):
    """The units of the database grouped by physical quantity."""
    rows = lambda name: [dict(zip(tables[name][0], r)) for r in tables[name][1]]
    quantities = {q["Id"]: q["Name"] for q in rows("physical_quantities")}
    units = rows("units")
    aliases = defaultdict(list)
    by_id = {u["Id"]: u for u in units}
    for a in rows("unit_aliases"):
        spelling = a["Name"] or a["Symbol"] or a["AsciiSymbol"]
        if spelling:
            aliases[a["RefUnit"]].append(spelling)
    prefixes = rows("unit_prefixes")
    grouped = defaultdict(list)
    for u in units:
        grouped[quantities.get(u["PhysicalQuantity"], "?")].append(u)
    lines = ["# Units of the built-in database", "",
             "Generated from `data/builtin` by `tools/mkunitdb/mkunitdb.py`; do not edit.", "",
             f"{len(units)} units, {len(quantities)} physical quantities, "
             f"{len(prefixes)} prefixes.", "", "## Prefixes", "",
             "| name | symbol | ASCII |", "|---|---|---|"]
    for p in prefixes:
        lines.append(f"| {markdown_cell(p['Name'])} | {markdown_cell(p['Symbol'])} | "
                     f"{markdown_cell(p['AsciiSymbol'])} |")
    metadata = {m["Name"]: m["Value"] for m in rows("unitdb_metadata")}
    choices = [(k.split(":", 1)[1], v) for k, v in metadata.items() if k.startswith("SymbolChoice:")]
    if choices:
        lines += ["", "## Symbols that two meanings want", "",
                  "| symbol | means |", "|---|---|"]
        lines += [f"| {markdown_cell(s)} | {markdown_cell(v)} |" for s, v in choices]
    notes = [v for k, v in metadata.items() if k.startswith("Note:")]
    if notes:
        lines += ["", "## Notes", ""] + [f"- {markdown_cell(v)}" for v in notes]
    lines += ["", "## Units by physical quantity", ""]
    for quantity in sorted(grouped):
        lines += [f"### {markdown_cell(quantity)}", "",
                  "| symbol | ASCII | name | defined as | also |", "|---|---|---|---|---|"]
        for u in grouped[quantity]:
            lines.append("| " + " | ".join(markdown_cell(x) for x in (
                u["Symbol"], u["AsciiSymbol"], u["Name"], u["Expression"],
                ", ".join(aliases.get(u["Id"], [])))) + " |")
        lines.append("")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def check_package(package_path):
    with zipfile.ZipFile(package_path) as z:
        names = z.namelist()
        if "[Content_Types].xml" not in names or PART_NAME not in names:
            raise SourceError(f"{package_path}: not a unit database package")
        with tempfile.TemporaryDirectory() as tmp:
            db_path = z.extract(PART_NAME, tmp)
            db = sqlite3.connect(db_path)
            try:
                counts = [len(db.execute(q).fetchall()) for q in LOADER_QUERIES]
            finally:
                db.close()
    if counts[9] == 0:
        raise SourceError(f"{package_path}: no units")
    return counts


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", metavar="PACKAGE")
    parser.add_argument("--docs", metavar="UNITS_MD")
    parser.add_argument("source", nargs="?")
    parser.add_argument("package", nargs="?")
    args = parser.parse_args(argv)
    try:
        if args.check:
            counts = check_package(args.check)
            print(f"{args.check}: all {len(counts)} loader queries run; "
                  f"{counts[9]} units, {counts[3]} physical quantities, {counts[5]} prefixes")
            return 0
        if not args.source or not args.package:
            parser.error("SOURCE and PACKAGE are required")
        tables = read_source(args.source)
        validate(args.source, tables)
        with tempfile.TemporaryDirectory() as tmp:
            db_path = os.path.join(tmp, "ud.sqlite")
            write_database(tables, db_path)
            write_package(db_path, args.package)
        if args.docs:
            write_docs(tables, args.docs)
        return 0
    except (SourceError, sqlite3.Error, zipfile.BadZipFile, OSError) as e:
        print(f"mkunitdb: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
