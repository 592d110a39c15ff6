#!/usr/bin/env python3
"""Helpers for make-template.sh (standard library only).

  pieces SRC.fodt ARTWORK.svg OUTDIR
      For each picture frame of the template source that links "pieces/NAME.png", writes
      OUTDIR/NAME.svg: the artwork without its paper group (id "paper"), cut to the window the
      frame covers on the page (1/100 inch per user unit; frames lie on whole units). Also writes
      OUTDIR/page.svg, the whole page without the paper group, for the coverage check.

  coverage SRC.fodt PAGE.png
      PAGE.png is page.svg rendered at 50 dots per inch. Verifies that everything drawn lies
      inside a piece, at least one pixel away from its edges, so that pieces never cut through a
      drawing (no seams where they meet) and nothing of the artwork is left out.

  embed SRC.fodt OUT.fodt [KEY=VALUE ...]
      Copies the template source, replacing each linked picture (xlink:href to a file beside
      SRC) by the picture's bytes inline, so that the converted .doc carries the picture itself
      rather than a link. Each KEY=VALUE replaces the text KEY by VALUE everywhere (used to
      fill the placeholders with sample values for a preview).

  check REOPENED.fodt
      Inspects a flat ODF text that LibreOffice wrote after reopening the .doc and verifies
      that every filled line sits in a text box (a text frame or a drawing shape with text),
      that each placeholder is one unbroken run of text, and that the three lines read exactly
      as expected, and that the paragraph style of every line of words gives the Asian and the
      complex-script text the size, weight and slant of its Latin text and a font of their own.
      Prints what it found; exits 1 on any failure.
"""
import base64
import os
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

NS = {
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "draw": "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0",
    "xlink": "http://www.w3.org/1999/xlink",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "fo": "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
    "svg": "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0",
    "meta": "urn:oasis:names:tc:opendocument:xmlns:meta:1.0",
    "dc": "http://purl.org/dc/elements/1.1/",
}
LINES = ["[Date], at [Time]", "[Address], [City], [State]", "[GivenBy]"]
PLACEHOLDERS = ["[Date]", "[Time]", "[Address]", "[City]", "[State]", "[GivenBy]"]


def q(prefix, local):
    return "{%s}%s" % (NS[prefix], local)


SVG = "http://www.w3.org/2000/svg"


def units(length):
    """A length in inches ("1.75in") as artwork units (1/100 inch), which must be whole."""
    if not length.endswith("in"):
        sys.exit("pieces: %r is not in inches" % length)
    value = float(length[:-2]) * 100
    if abs(value - round(value)) > 1e-6:
        sys.exit("pieces: %r does not lie on a whole 1/100 inch" % length)
    return int(round(value))


def piece_windows(src):
    """(name, x, y, width, height) in artwork units of each frame linking pieces/NAME.png."""
    windows = []
    for frame in ET.parse(src).iter(q("draw", "frame")):
        image = frame.find("draw:image", NS)
        href = image.get(q("xlink", "href"), "") if image is not None else ""
        if not href.startswith("pieces/"):
            continue
        name = os.path.splitext(os.path.basename(href))[0]
        windows.append((name, units(frame.get(q("svg", "x"))), units(frame.get(q("svg", "y"))),
                        units(frame.get(q("svg", "width"))), units(frame.get(q("svg", "height")))))
    if not windows:
        sys.exit("pieces: no frame links a piece in %s" % src)
    return windows


def without_paper(artwork):
    ET.register_namespace("", SVG)
    ET.register_namespace("xlink", NS["xlink"])
    tree = ET.parse(artwork)
    root = tree.getroot()
    for parent in root.iter():
        for child in list(parent):
            if child.get("id") == "paper":
                parent.remove(child)
                return tree
    sys.exit("pieces: %s has no group with id \"paper\"" % artwork)


def pieces(src, artwork, outdir):
    tree = without_paper(artwork)
    root = tree.getroot()
    os.makedirs(outdir, exist_ok=True)
    for name, x, y, width, height in piece_windows(src) + [("page", 0, 0, 850, 1100)]:
        root.set("viewBox", "%d %d %d %d" % (x, y, width, height))
        root.set("width", "%gin" % (width / 100))
        root.set("height", "%gin" % (height / 100))
        tree.write(os.path.join(outdir, name + ".svg"), encoding="UTF-8", xml_declaration=True)


def read_rgba(path):
    """Width, height and rows of alpha values of an 8-bit RGBA PNG."""
    data = open(path, "rb").read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", chunk[:10])
            if depth != 8 or colour != 6:
                sys.exit("coverage: %s is not an 8-bit RGBA picture" % path)
        elif kind == b"IDAT":
            idat += chunk
    raw = zlib.decompress(idat)
    stride, rows, previous = width * 4, [], bytearray(width * 4)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = previous[i]
            c = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line[3::4])
        previous = line
    return width, height, rows


def coverage(src, page):
    width, height, alpha = read_rgba(page)
    scale = width / 850.0  # pixels per artwork unit
    inside = [((x * scale) + 1, (y * scale) + 1, ((x + w) * scale) - 2, ((y + h) * scale) - 2)
              for _, x, y, w, h in piece_windows(src)]
    outside = 0
    for py in range(height):
        for px in range(width):
            if alpha[py][px] and not any(x0 <= px <= x1 and y0 <= py <= y1 for x0, y0, x1, y1 in inside):
                outside += 1
                if outside <= 5:
                    print("  FAIL: drawn at (%d, %d) of the 850 x 1100 page, not well inside a piece"
                          % (px / scale, py / scale))
    if outside:
        return 1
    print("  every drawn pixel lies inside one of %d pieces" % len(inside))
    return 0


def embed(src, out, pairs):
    text = open(src, encoding="utf-8").read()
    for pair in pairs:
        key, _, value = pair.partition("=")
        text = text.replace(key, value)
    for prefix, uri in NS.items():
        ET.register_namespace(prefix, uri)
    tree = ET.ElementTree(ET.fromstring(text))
    base = os.path.dirname(os.path.abspath(src))
    embedded = 0
    for image in tree.iter(q("draw", "image")):
        href = image.get(q("xlink", "href"))
        if not href or "://" in href:
            continue
        data = open(os.path.join(base, href), "rb").read()
        for attr in ("href", "type", "show", "actuate"):
            image.attrib.pop(q("xlink", attr), None)
        binary = ET.SubElement(image, q("office", "binary-data"))
        binary.text = base64.encodebytes(data).decode("ascii")
        embedded += 1
    if embedded == 0:
        sys.exit("embed: no linked picture found in %s" % src)
    tree.write(out, encoding="UTF-8", xml_declaration=True)


def runs(element):
    """Every piece of character data inside element, as the XML holds it."""
    pieces = []
    if element.text:
        pieces.append(element.text)
    for child in element:
        pieces.extend(runs(child))
        if child.tail:
            pieces.append(child.tail)
    return pieces


def styled_alike(tree, body):
    """Failures for each paragraph style in the body whose Asian or complex-script size, weight,
    slant or font differ from what the Latin text has (through its parents and the default)."""
    styles = {}
    default = {}
    for element in tree.iter():
        props = element.find("style:text-properties", NS)
        attrs = dict(props.attrib) if props is not None else {}
        if element.tag == q("style", "default-style") and element.get(q("style", "family")) == "paragraph":
            default = attrs
        elif element.tag == q("style", "style") and element.get(q("style", "family")) == "paragraph":
            styles[element.get(q("style", "name"))] = (element.get(q("style", "parent-style-name")), attrs)

    def resolved(name, key):
        while name in styles:
            parent, attrs = styles[name]
            if key in attrs:
                return attrs[key]
            name = parent
        return default.get(key)

    failures = []
    used = sorted({p.get(q("text", "style-name")) for p in body.iter(q("text", "p"))} - {None})
    for name in used:
        if not "".join(runs(next(p for p in body.iter(q("text", "p"))
                                 if p.get(q("text", "style-name")) == name))):
            continue
        for latin, style_key in ((q("fo", "font-size"), "font-size"), (q("fo", "font-weight"), "font-weight"),
                                 (q("fo", "font-style"), "font-style")):
            want = resolved(name, latin)
            for script in ("asian", "complex"):
                got = resolved(name, q("style", "%s-%s" % (style_key, script)))
                if got != want and not (want is None and got in ("normal", None)):
                    failures.append("style %s: %s %s is %s, its Latin text's %s" % (name, script, style_key, got, want))
        for script in ("asian", "complex"):
            if not resolved(name, q("style", "font-name-" + script)):
                failures.append("style %s has no %s font" % (name, script))
    if not failures:
        print("  %d paragraph styles set every script alike" % len(used))
    return failures


def check(reopened):
    tree = ET.parse(reopened)
    body = tree.find(".//office:text", NS)
    failures = styled_alike(tree, body)
    found = {}
    # A text box is a Writer frame holding a draw:text-box, or a drawing shape holding paragraphs.
    for element in body.iter():
        tag = element.tag
        if tag == q("draw", "frame") and element.find("draw:text-box", NS) is not None:
            kind = "text frame"
            paragraphs = element.find("draw:text-box", NS).iter(q("text", "p"))
        elif tag.startswith("{%s}" % NS["draw"]) \
                and tag not in (q("draw", "frame"), q("draw", "text-box")) \
                and element.find("text:p", NS) is not None:
            kind = "drawing shape <draw:%s>" % tag.split("}")[1]
            paragraphs = element.findall("text:p", NS)
        else:
            continue
        name = element.get(q("draw", "name"), "?")
        for p in paragraphs:
            whole = "".join(runs(p))
            if whole in LINES:
                found.setdefault(whole, []).append((kind, name, runs(p)))
    for line in LINES:
        hits = found.get(line, [])
        if len(hits) != 1:
            failures.append("line %r found in %d text boxes (want 1)" % (line, len(hits)))
            continue
        kind, name, pieces = hits[0]
        print("  %-28s in a %s named %r, runs %r" % (line, kind, name, pieces))
        for ph in PLACEHOLDERS:
            if ph in line and not any(ph in piece for piece in pieces):
                failures.append("placeholder %s is split across runs: %r" % (ph, pieces))
    # No placeholder may appear anywhere else (body text, headers) where the fill would miss it.
    everything = "".join(runs(tree.getroot().find(".//office:body", NS)))
    for ph in PLACEHOLDERS:
        if everything.count(ph) != 1:
            failures.append("placeholder %s occurs %d times in the document (want 1)"
                            % (ph, everything.count(ph)))
    for failure in failures:
        print("  FAIL: " + failure)
    return 1 if failures else 0


def main(argv):
    if len(argv) == 4 and argv[0] == "pieces":
        pieces(argv[1], argv[2], argv[3])
        return 0
    if len(argv) == 3 and argv[0] == "coverage":
        return coverage(argv[1], argv[2])
    if len(argv) >= 3 and argv[0] == "embed":
        embed(argv[1], argv[2], argv[3:])
        return 0
    if len(argv) == 2 and argv[0] == "check":
        return check(argv[1])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
