#!/usr/bin/env python3
"""Helpers for make-template.sh (standard library only).

  embed SRC.fodt OUT.fodt [KEY=VALUE ...]
      Copies the template source, replacing each linked picture (xlink:href to a file beside
      SRC) by the picture's bytes inline, so that the converted .doc carries the picture itself
      rather than a link. Each KEY=VALUE replaces the text KEY by VALUE everywhere (used to
      fill the placeholders with sample values for a preview).

  check REOPENED.fodt
      Inspects a flat ODF text that LibreOffice wrote after reopening the .doc and verifies
      that every filled line sits in a text box (a text frame or a drawing shape with text),
      that each placeholder is one unbroken run of text, and that the three lines read exactly
      as expected. Prints what it found; exits 1 on any failure.
"""
import base64
import os
import sys
import xml.etree.ElementTree as ET

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


def check(reopened):
    tree = ET.parse(reopened)
    body = tree.find(".//office:text", NS)
    failures = []
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
    if len(argv) >= 3 and argv[0] == "embed":
        embed(argv[1], argv[2], argv[3:])
        return 0
    if len(argv) == 2 and argv[0] == "check":
        return check(argv[1])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
