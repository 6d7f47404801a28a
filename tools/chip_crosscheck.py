#!/usr/bin/env python3
"""Lists serial-memory parts that other programmers' public chip tables know and data/chips.csv lacks.

    tools/chip_crosscheck.py --flashrom DIR --imsprog FILE.Dat --asprogrammer chiplist.xml --ufprog DIR
                             [--chips data/chips.csv] [--missing] [--json OUT] [--add]

DIR for flashrom is a checkout of flashrom/flashrom (flashchips/, include/flashchips.h); FILE.Dat
is IMSProg_programmer/database/IMSProg.Dat of bigbigmdm/IMSProg; chiplist.xml is the one of
nofeletru/UsbAsp-flash; DIR for ufprog is a checkout of hackpascal/ufprog (flash/spi-nor/).

Each peer table is read into (name, type, ID, size, page, supply) facts. A peer part counts as
present when a row of ours carries its name, its name with a package or order-code tail on the
same ID and size (W25Q16JV: W25Q16JV-IQ), matches its wildcards (W25Q64JV-.Q, W25Q16*W), or is
named by a row's source. NAND, parallel, LPC/FWH and other bus types fit none of our chip types
and are not counted. --add appends the missing parts as rows (see add_missing).
"""
import argparse
import csv
import json
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

SPI, E24, E25, E45, E93, E95 = "SPI FLASH", "24 EEPROM", "25 EEPROM", "45 EEPROM", "93 EEPROM", "95 EEPROM"


def norm(name):
    return re.sub(r"[^A-Z0-9.*]", "", name.upper())


def part(peer, maker, name, kind, chip_id, size, page, mv, where):
    return {"peer": peer, "maker": maker, "name": name.strip(), "type": kind, "id": chip_id,
            "size": size, "page": page, "mv": mv, "where": where}


def first_number(text):
    """The value of a product like "64 * 1024" at the start of a C initialiser; 0 if none."""
    m = re.match(r"\s*(\d+(?:\s*\*\s*\d+)*)", text)
    value = 1
    for factor in (m.group(1).split("*") if m else ["0"]):
        value *= int(factor)
    return value


# --- flashrom: flashchips/*.c with IDs from include/flashchips.h -----------------------------
def read_flashrom(root):
    root = Path(root)
    defines = {}
    for line in (root / "include" / "flashchips.h").read_text(errors="replace").splitlines():
        m = re.match(r"#define\s+(\w+)\s+(0x[0-9A-Fa-f]+)", line)
        if m:
            defines[m.group(1)] = int(m.group(2), 16)
    parts = []
    for source in sorted((root / "flashchips").glob("*.c")):
        text = source.read_text(errors="replace")
        for block in re.split(r"\n\t\{\s*\n", text)[1:]:
            field = lambda key: (re.search(r"\.%s\s*=\s*([^\n]*)" % key, block) or [None, ""])[1].strip().rstrip(",")
            if "BUS_SPI" not in field("bustype"):
                continue
            name = re.search(r'\.name\s*=\s*"([^"]*)"', block).group(1)
            probe = field("probe")
            size = first_number(field("total_size")) * 1024
            page = first_number(field("page_size"))
            volt = re.search(r"\.voltage\s*=\s*\{\s*(\d+)\s*,\s*(\d+)", block)
            mv = None if not volt else (1800 if int(volt.group(2)) < 2500 else 3300)
            maker_id = defines.get(field("manufacture_id"))
            model_id = defines.get(field("model_id"))
            chip_id = None
            if probe in ("PROBE_SPI_RDID", "PROBE_SPI_RDID4", "PROBE_SPI_BIG_SPANSION", "PROBE_SPI_AT45DB",
                         "PROBE_SPI_AT45DB_E") and maker_id is not None and model_id is not None:
                if model_id > 0xFFFF:
                    model_id >>= 16  # five- and six-byte IDs: the first three bytes are the JEDEC ID
                chip_id = ("%04X%02X" % (maker_id, model_id & 0xFF) if maker_id > 0xFF
                           else "%02X%04X" % (maker_id, model_id & 0xFFFF))
            kind = E45 if "AT45DB" in name or probe.startswith("PROBE_SPI_AT45DB") else (
                E95 if probe == "PROBE_SPI_ST95" else SPI)
            if "GENERIC" in field("model_id") or "SFDP" in name.upper():
                continue  # probing fallbacks, not parts
            vendor = re.search(r'\.vendor\s*=\s*"([^"]*)"', block).group(1)
            parts.append(part("flashrom", vendor, name, kind, chip_id, size, page, mv,
                              "flashchips/%s %s" % (source.name, probe)))
    return parts


# --- IMSProg: 68-byte records "TYPE,MAKER,NAME" + ID, size, page, supply -----------------------
def read_imsprog(path):
    data = Path(path).read_bytes()
    kinds = {"SPI_FLASH": SPI, "24_EEPROM": E24, "25_EEPROM": E25, "45_EEPROM": E45, "93_EEPROM": E93,
             "95_EEPROM": E95}
    supply = {0: 3300, 1: 1800, 2: 5000, 3: 2500}
    parts = []
    for at in range(0, len(data) - 67, 68):
        rec = data[at:at + 68]
        head = rec[:48].split(b"\0")[0].decode("latin1")
        if head.count(",") < 2:
            break
        kind, maker, name = head.split(",", 2)
        if kind not in kinds:
            continue
        chip_id = "%02X%02X%02X" % (rec[0x32], rec[0x31], rec[0x30])
        size = int.from_bytes(rec[0x34:0x38], "little")
        page = int.from_bytes(rec[0x38:0x3A], "little")
        parts.append(part("IMSProg", maker, name, kinds[kind], chip_id if kinds[kind] in (SPI, E45) else None,
                          size, page, supply.get(rec[0x43]), "IMSProg.Dat"))
    return parts


# --- AsProgrammer: chiplist.xml, one element per part -----------------------------------------
def read_asprogrammer(path):
    root = ET.parse(path).getroot()
    parts = []
    for bus in root:
        for maker in bus:
            for chip in maker:
                a = chip.attrib
                size = int(a.get("size", "0"))
                page = a.get("page", "0")
                page = int(page) if page.isdigit() else 1
                if bus.tag == "I2C":
                    kind = E24
                elif bus.tag == "Microwire":
                    kind = E93
                else:
                    cmd = a.get("spicmd", "")
                    kind = {"45": E45, "95": E95, "25": E25}.get(cmd, SPI if cmd == "" else None)
                    if cmd == "" and a.get("id", "") in ("", "0"):
                        kind = None  # no JEDEC ID: keyboard controllers and the like
                if kind is None:
                    continue
                chip_id = a.get("id", "").upper() if kind in (SPI, E45) else None
                parts.append(part("AsProgrammer", maker.tag, chip.tag.lstrip("_").replace("_", "-"), kind,
                                  chip_id[:6] if chip_id else None, size, page, None, "chiplist.xml " + bus.tag))
    return parts


# --- ufprog: flash/spi-nor/vendor-*.c SNOR_PART entries -------------------------------------
def read_ufprog(root):
    parts = []
    sizes = {"K": 1024, "M": 1 << 20, "G": 1 << 30}
    for source in sorted(Path(root, "flash", "spi-nor").glob("vendor-*.c")):
        text = source.read_text(errors="replace")
        pieces = re.split(r"\bSNOR_PART\(", text)[1:]
        for piece in pieces:
            m = re.match(r'\s*"([^"]+)",\s*SNOR_ID\(([^)]*)\),\s*SZ_(\d+)([KMG])', piece)
            if not m:
                continue
            if re.search(r"SNOR_F_META", piece.split("\n\n")[0]):
                continue  # a template resolved to one of the named parts
            ids = [int(x, 16) for x in re.findall(r"0x[0-9a-fA-F]+", m.group(2))]
            parts.append(part("ufprog", source.stem[7:], m.group(1), SPI, "".join("%02X" % x for x in ids[:3]),
                              int(m.group(3)) * sizes[m.group(4)], 256, None, source.name))
    return parts


# --- ours ---------------------------------------------------------------------------------
def read_ours(path):
    lines = [l for l in open(path, encoding="utf-8") if not l.startswith("#") and l.strip()]
    return list(csv.DictReader(lines))


def source_names(sources_path, ours):
    """Maps each name a row's source quotes ('MX25L6405(D)/MX25L6406E') to that row."""
    by_name = {r["ChipName"]: r for r in ours}
    names = {}
    for line in open(sources_path, encoding="utf-8").read().splitlines()[1:]:
        chip, _, source = line.partition(",")
        quoted = re.search(r"'([^']+)'", source)
        if quoted and chip in by_name:
            for alt in alternatives(quoted.group(1)):
                names.setdefault(norm(alt), by_name[chip])
    return names


def family(kind):
    return "all"  # a name is a name, whichever type a peer files it under


def clean(name):
    """Drops what peers append to a name that is not part of it: supply notes, organisation, sector layouts."""
    name = re.sub(r"\s*\((?:1\.8V|x?16|x?8)\)|-1\.8V$|-(?:JQ|JM)$| .*$", "", name.strip())
    return name


def alternatives(name):
    """A peer's name field may hold several names: A/B/C, optional letters in (), wildcards."""
    name = clean(name)
    out = []
    for alt in name.split("/"):
        alt = alt.strip()
        if not alt:
            continue
        m = re.match(r"(.*)\(([^)]*)\)(.*)", alt)
        if m:
            out += [m.group(1) + m.group(3), m.group(1) + m.group(2) + m.group(3)]
        else:
            out.append(alt)
    # "MX25L3205(A)/MX25L3206E": the later names are whole names; "EN25Q40/Q80" style tails are not
    first = out[0] if out else name
    fixed = []
    for alt in out:
        if len(norm(alt)) < 5 and first:
            alt = first[:len(first) - len(alt)] + alt
        fixed.append(alt)
    return fixed


def matcher(peer_name):
    """A peer name as a pattern over normalised names: '.' one optional character, '_', '*' and a
    lower-case x (ufprog's N25Q016Ax3) any run of them."""
    wild = norm(re.sub(r"(?<=[A-Z0-9])x", "*", peer_name).replace("_", "*"))
    return re.compile(wild.replace(".", "[A-Z0-9]?").replace("*", "[A-Z0-9]*") + "$")


WILDCARD = re.compile(r"[._*]|(?<=[A-Z0-9])x")


def covered(p, ours_by_family):
    rows = ours_by_family.get(family(p["type"]), [])
    for alt in alternatives(p["name"]):
        row = ours_by_family.get("source names", {}).get(norm(alt))
        if row:
            return row  # a row whose source entry names this part too, e.g. 'GD25Q64(B)'

    if WILDCARD.search(p["name"]) and p["id"]:
        # a pattern standing for several order codes: any row of ours with its ID, size and
        # the pattern's fixed start names the same silicon
        start = norm(WILDCARD.split(p["name"])[0])
        for row in rows:
            if row["ChipID"] == p["id"] and int(row["Capacity"]) == p["size"] and norm(row["ChipName"]).startswith(start):
                return row
    for alt in alternatives(p["name"]):
        exact = matcher(alt)
        key = norm(alt)
        for row in rows:
            ours = row["ChipName"]
            n = norm(ours)
            if exact.match(n):
                return row
            # our row names the part with a package or variant suffix after a dash
            if "-" in ours and norm(ours.split("-")[0]) == key and (not p["id"] or row["ChipID"] in ("", p["id"])):
                return row
            # one name is the other plus an order-code tail (N25Q128A / N25Q128A11, GD25Q64CSIG / GD25Q64C)
            # on the same silicon; a single letter is a revision, not a tail
            if p["id"] and row["ChipID"] == p["id"] and int(row["Capacity"]) == p["size"]:
                short, long_ = sorted((n, key), key=len)
                if long_.startswith(short) and len(long_) - len(short) >= 2:
                    return row
    return None


# --- adding the missing parts as rows of ours -----------------------------------------------
PEER_SOURCE = {"datasheet": "datasheet:", "flashrom": "flashrom", "IMSProg": "bigbigmdm/IMSProg IMSProg_programmer/database/IMSProg.Dat",
               "AsProgrammer": "nofeletru/UsbAsp-flash chiplist.xml", "ufprog": "hackpascal/ufprog flash/spi-nor"}
FACT_ORDER = ("datasheet", "flashrom", "ufprog", "IMSProg", "AsProgrammer")  # whose ID and size win when peers differ

# Families that only run at 1.8 V (top of the supply range below 2.5 V), by order-code pattern.
LOW_SUPPLY = re.compile(r"^(W\d\d[A-Z]+\d+[A-Z]*W(-|$)|MX(25|66|77)U|IS25W[PQJEX]|MT(25Q|35X)U|XM25(QU|LU|RU)|"
                        r"EN(25|35)S|ZB25L|FM25M|DS25M|AT25(SL|QL|DL)|SST2[56]WF|S25FS|GD[25]5L|N25Q\w+A1[1E]?$)")
MAKER_ALIASES = {"CATALYST": "ONSEMI", "CATALYST-CSI": "ONSEMI", "BOYA-MICRO": "BOYA", "BOYA/BOHONG": "BOYA",
                 "NEXFLASH": "WINBOND", "NUMONYX": "MICRON", "BERG-MICRO": "BERG", "INFINEON": "SPANSION",
                 "CYPRESS": "SPANSION", "ADESTO": "ATMEL", "RAMTRON": "RAMTRON", "ESMT": "ESMT"}


# Peer facts that contradict the part's datasheet, corrected before a row is made.
CORRECTIONS = {
    "EN25E40A": {"size": 524288},        # 4 Mbit; one peer lists 2 Mbit against its own ID 1C4213
    "EN25E40": {"size": 524288},
    "W77Q16JW": {"id": "EF8A15"},        # 16 Mbit answers density 15; one peer repeats the 32 Mbit part's ID
    "EN25SX128A": {"id": "1C7818", "size": 16 << 20},  # 128 Mbit; one peer lists the 64 Mbit part's facts
    "W25M512JW": {"size": 64 << 20},     # two 256 Mbit dies, 512 Mbit in all (like W25M512JV)
    "GD25S512MD": {"size": 64 << 20},    # two 256 Mbit dies
    "GD25S513MD": {"size": 64 << 20},
    "AT45CS1282": {"type": E45, "page": 1056},  # a DataFlash with 1056-byte pages
    "IS25LD040": {"size": 524288},       # 4 Mbit; one peer lists 2 Mbit
    "GPR25L161B": {"size": 2 << 20},     # 16 Mbit, as its ID C22015 says; one peer lists 2 Mbit
}
# IDs that stay with one row: the simulator's default chip is found by detection without a question,
# which the program's demonstrations and tests rely on. Other order codes with the same ID, size and
# supply are served by that row.
SOLE_ROW_OF_ID = {"C84017": "GD25Q64"}
# Peer parts left out on purpose, with the reason.
LEFT_OUT = {
    "AT45DB641": "no such part with 528-byte pages; AT45DB641E (264) and AT45DB642D (1056) are in the table",
    "M93C06": "256-bit part: its 6-bit x8 command address is outside the 93-series parameters",
    "NX25P10": "ID 9D7F.. is the PMC code with its bytes swapped; no datasheet confirms it",
    "NX25P20": "ID 9D7F.. is the PMC code with its bytes swapped; no datasheet confirms it",
    "NX25P40": "ID 9D7F.. is the PMC code with its bytes swapped; no datasheet confirms it",
    "NX25P80": "ID 9D7F.. is the PMC code with its bytes swapped; no datasheet confirms it",
    "EM25LV512": "ID 9D7B00 is a padded two-byte answer, not a JEDEC ID",
    "EM25LV010": "ID 9D7C00 is a padded two-byte answer, not a JEDEC ID",
    "AC25LV512": "ID 9D7B00 is a padded two-byte answer, not a JEDEC ID",
    "AC25LV010": "ID 9D7C00 is a padded two-byte answer, not a JEDEC ID",
    "F25L04UA": "ID 8C8C8C is a repeated manufacturer byte, not a JEDEC ID",
    "W25P10": "ID EF1000 is a padded two-byte answer; the part has no JEDEC ID",
    "W25P20": "ID EF1100 is a padded two-byte answer; the part has no JEDEC ID",
    "W25P40": "ID EF1200 is a padded two-byte answer; the part has no JEDEC ID",
}


def capacity_text(kind, size):
    bits = (size // 33 * 32 if kind == E45 else size) * 8
    for unit, scale in (("Gbit", 1 << 30), ("Mbit", 1 << 20), ("Kbit", 1 << 10)):
        if bits >= scale:
            return "%d%s" % (bits // scale, unit)
    return "%dbit" % bits


def spi_flags(name):
    aai = (re.match(r"(SST|PCT)25VF0", name) and name.endswith("B")) or name.startswith("SST25WF")
    unlock = re.match(r"(SST|PCT)26", name)
    locked = re.match(r"(SST|PCT)25|AT25DF|AT26DF|AT25DL", name)
    return (1 if aai else 0) | (2 if unlock else 0) | (4 if locked else 0)


def row_for(name, kind, maker, size, page, mv, chip_id):
    """A row of data/chips.csv, its algorithm parameters filled by the rules of data/CHIPS.md."""
    block = max(page, 16)
    para_notes = ("address bytes", "write and unlock flags")
    if kind == SPI:
        erase = 50 if maker in ("SST", "PCT") else min(max(size * 2500 // (1 << 20), 1000), 190000)
        para, para1, block = (4 if size > 16 << 20 else 3), spi_flags(name), 4096
        memory = "SPI FLASH"
    elif kind == E45:
        para, para1, block = 3, {264: 9, 528: 10, 1056: 11}[page], page
        erase = max(2000, 1000 * ((size // 33 * 32 * 8) >> 20))
        para_notes, memory = ("address bytes", "byte address bits in page"), "DATAFLASH"
    elif kind == E24:
        para, para1, erase = (1 if size <= 2048 else 2), {512: 1, 1024: 2, 2048: 3, 131072: 1, 262144: 2}.get(size, 0), 0
        para_notes, memory = ("address bytes", "device address bits used for memory"), "EEPROM"
    elif kind in (E25, E95):
        para, para1, erase = (1 if size <= 512 else 2 if size <= 65536 else 3), (1 if size == 512 else 0), 0
        para_notes, memory = ("address bytes", "A8 in instruction"), "EEPROM"
    else:  # 93
        para, para1, erase, block, page = (7 if size <= 128 else 9 if size <= 512 else 11), 8, 0, 16, 1
        para_notes, memory = ("address bits", "organisation width"), "EEPROM"
    return [name, kind, maker, capacity_text(kind, size), str(size), str(page), str(block), "0", "", str(mv),
            chip_id or "", str(para), str(para1), para_notes[0], para_notes[1], str(erase), memory, "Varden"]


def concrete_name(p):
    """The name a new row takes: wildcards and peer decorations removed."""
    name = clean(alternatives(p["name"])[0])
    name = re.sub(r"A(x)([13])$", r"A1\2", name)  # Micron N25Q...Ax3 / Ax1 order codes
    name = name.replace("_", "-").replace(".", "").replace("*", "")
    name = re.sub(r"(?<=[A-Z0-9])x+", "", name)
    return name.upper()


def add_missing(chips_path, sources_path, missing):
    """Appends the missing parts to our table; returns (added, left out with reasons)."""
    lines = open(chips_path, encoding="utf-8").read().splitlines()
    header_at = next(i for i, l in enumerate(lines) if not l.startswith("#"))
    ours = read_ours(chips_path)
    names = {norm(r["ChipName"]) for r in ours}
    by_id = {}
    for r in ours:
        if r["ChipID"]:
            by_id.setdefault(r["ChipID"], []).append(r)
    maker_of_id, maker_of_prefix = {}, {}
    for r in ours:
        if r["ChipID"]:
            key = r["ChipID"][:4] if r["ChipID"].startswith("7F") else r["ChipID"][:2]
            maker_of_id.setdefault(key, {}).setdefault(r["ManufName"], 0)
            maker_of_id[key][r["ManufName"]] += 1
        prefix = re.match(r"[A-Z-]*", r["ChipName"]).group(0)
        if prefix:
            maker_of_prefix.setdefault(prefix, {}).setdefault(r["ManufName"], 0)
            maker_of_prefix[prefix][r["ManufName"]] += 1
    best = lambda counts: max(counts.items(), key=lambda kv: kv[1])[0]

    groups = {}
    for p in missing:
        groups.setdefault(norm(concrete_name(p)), []).append(p)
    added, left_out = [], []
    known = {"all": list(ours)}
    # whole names first, so that a pattern meets the named rows it stands for
    for key, parts in sorted(groups.items(), key=lambda g: any(re.search(r"[._*]", p["name"]) for p in g[1])):
        parts.sort(key=lambda p: FACT_ORDER.index(p["peer"]))
        first = parts[0]
        name = concrete_name(first)
        if key in names or any(covered(p, known) for p in parts):
            continue
        if name in LEFT_OUT:
            left_out.append((first, LEFT_OUT[name]))
            continue
        fix = CORRECTIONS.get(name, {})
        kind = fix.get("type", first["type"])
        ids = [p for p in parts if p["id"]]
        chip_id = fix.get("id", ids[0]["id"] if ids else None)
        size, page = fix.get("size", first["size"]), fix.get("page", first["page"])
        if kind in (SPI, E45) and (not chip_id or not re.fullmatch(r"[0-9A-F]{6}", chip_id) or chip_id in ("000000", "FFFFFF")):
            left_out.append((first, "no three-byte JEDEC ID (answers only the old RES/REMS ID or none); detection cannot find it"))
            continue
        if kind not in (SPI, E45):
            chip_id = None
        if size <= 0:
            left_out.append((first, "no capacity"))
            continue
        if kind == E45:
            if page not in (264, 528, 1056):
                page = 264 if size < (2 << 20) else 528
            if size & (size - 1) == 0:
                size = size // 32 * 33
        if kind == E93:
            page = 1
        if page <= 0 or size % page:
            page = 256 if kind == SPI else page
        if page <= 0 or size % page:
            left_out.append((first, "capacity %d is not whole pages of %d" % (size, page)))
            continue
        if kind == SPI and page not in (256, 512, 1024):
            page = 256
        # supply
        if kind in (E24, E25, E93, E95):
            mv = 5000
        else:
            explicit = [p["mv"] for p in parts if p["mv"] in (1800, 3300) and p["peer"] in ("datasheet", "flashrom", "IMSProg")]
            marked = any(re.search(r"1\.8V", p["name"]) for p in parts)
            if explicit:
                mv = explicit[0]
            elif marked or LOW_SUPPLY.match(name):
                mv = 1800
            elif chip_id and re.match(r"20BB|0B60", chip_id):
                mv = 1800
            else:
                mv = 3300
        # maker
        # maker: by the order code's letters where our table knows them (several makers share 0x20),
        # else by the JEDEC manufacturer code
        maker = None
        prefix = re.match(r"[A-Z-]*", name).group(0)
        if len(prefix) >= 2 and prefix in maker_of_prefix:
            maker = best(maker_of_prefix[prefix])
        if not maker and chip_id:
            key_id = chip_id[:4] if chip_id.startswith("7F") else chip_id[:2]
            if key_id in maker_of_id:
                maker = best(maker_of_id[key_id])
        if not maker:
            maker = re.sub(r"[^A-Z0-9]+", "-", first["maker"].upper()).strip("-")
            maker = MAKER_ALIASES.get(maker, maker)
        if name.startswith("PCT2"):
            maker = "PCT"
        if chip_id in SOLE_ROW_OF_ID:
            left_out.append((first, "same ID %s, size and supply as %s, which stays the only row of that ID so "
                             "that detecting it needs no choice; that row serves it" % (chip_id, SOLE_ROW_OF_ID[chip_id])))
            continue
        # detection safety: rows sharing an ID must agree on size and supply
        if chip_id and chip_id in by_id:
            other = by_id[chip_id][0]
            if int(other["Capacity"]) != size or int(other["Voltage"]) != mv:
                left_out.append((first, "answers %s like %s (%s B, %s mV) but is %d B at %d mV: detection could not "
                                 "tell them apart" % (chip_id, other["ChipName"], other["Capacity"], other["Voltage"],
                                                      size, mv)))
                continue
        row = row_for(name, kind, maker, size, page, mv, chip_id)
        peers = sorted({p["peer"] for p in parts}, key=FACT_ORDER.index)
        where = first["where"].split()[0] if first["peer"] == "flashrom" else ""
        source = "%s%s '%s'" % (PEER_SOURCE[first["peer"]], (" " + where) if where else "", first["name"])
        if len(peers) > 1:
            source += "; also in " + "+".join(peers[1:])
        if first["peer"] == "datasheet":
            source = "datasheet: " + first["where"]
        source = source.replace(",", " ")
        if first["peer"] == "ufprog":
            source = source.replace("flash/spi-nor", "flash/spi-nor/" + first["where"])
        added.append((row, source))
        names.add(key)
        fake = dict(zip(["ChipName", "ChipType", "ManufName", "Note", "Capacity", "PageSize", "BlockSize", "OTPSize",
                         "OTPAddr", "Voltage", "ChipID"], row))
        known["all"].append(fake)
        if chip_id:
            by_id.setdefault(chip_id, []).append(fake)

    # insert each new row after the last row of its type, keeping makers together
    body = lines[header_at + 1:]
    for row, _ in sorted(added, key=lambda a: (a[0][2], a[0][0]), reverse=True):
        last = max(i for i, l in enumerate(body) if l.split(",")[1] == row[1])
        body.insert(last + 1, ",".join(row))
    ids = {}
    for l in body:
        f = l.split(",")
        if f[10]:
            ids[f[10]] = ids.get(f[10], 0) + 1
    shared = " ".join(sorted(i for i, n in ids.items() if n > 1))
    head = [("# look-alikes: " + shared) if l.startswith("# look-alikes:") else l for l in lines[:header_at + 1]]
    open(chips_path, "w", encoding="utf-8").write("\n".join(head + body) + "\n")
    with open(sources_path, "a", encoding="utf-8") as out:
        for row, source in added:
            out.write("%s,%s\n" % (row[0], source))
    return added, left_out


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--chips", default=str(Path(__file__).resolve().parent.parent / "data" / "chips.csv"))
    ap.add_argument("--flashrom")
    ap.add_argument("--imsprog")
    ap.add_argument("--asprogrammer")
    ap.add_argument("--ufprog")
    ap.add_argument("--missing", action="store_true", help="list every missing part")
    ap.add_argument("--json", help="write the missing parts with their facts to this file")
    ap.add_argument("--add", action="store_true", help="add the missing parts to --chips and chip-sources.csv beside it")
    args = ap.parse_args()

    ours = read_ours(args.chips)
    by_family = {}
    for row in ours:
        by_family.setdefault(family(row["ChipType"]), []).append(row)
    by_family["source names"] = source_names(Path(args.chips).with_name("chip-sources.csv"), ours)
    peers = []
    if args.flashrom:
        peers.append(("flashrom", read_flashrom(args.flashrom)))
    if args.imsprog:
        peers.append(("IMSProg", read_imsprog(args.imsprog)))
    if args.asprogrammer:
        peers.append(("AsProgrammer", read_asprogrammer(args.asprogrammer)))
    if args.ufprog:
        peers.append(("ufprog", read_ufprog(args.ufprog)))

    missing_all = []
    for peer, parts in peers:
        missing = [p for p in parts if not covered(p, by_family)]
        print("%-13s %4d fitting parts, %4d present, %4d missing" % (peer, len(parts), len(parts) - len(missing),
                                                                    len(missing)))
        if args.missing:
            for p in missing:
                print("   %-28s %-10s %-6s %9s %5s %s" % (p["name"], p["type"], p["id"] or "-", p["size"],
                                                           p["page"], p["mv"] or "?"))
        missing_all += missing
    if args.json:
        Path(args.json).write_text(json.dumps(missing_all, indent=1))
    if args.add:
        added, left_out = add_missing(args.chips, str(Path(args.chips).with_name("chip-sources.csv")), missing_all)
        print("added %d rows; left out %d parts:" % (len(added), len(left_out)))
        for p, reason in left_out:
            print("   %-12s %-24s %s" % (p["peer"], p["name"], reason))
    return 0


if __name__ == "__main__":
    sys.exit(main())
