# Edits a PSD in Krita and saves it, for the editor tests' Krita copies:
#   kritarunner -s krita_edit_layers -f main SOURCE TARGET delete-note|retouch
# (with this folder on PYTHONPATH). "delete-note" removes every layer whose name starts with
# "Note"; "retouch" paints the first four pixels of the top row of the "Picture" layer.
from krita import Krita


def main(args):
    src, dst, mode = args[0], args[1], args[2]
    doc = Krita.instance().openDocument(src)
    doc.setBatchmode(True)
    for node in doc.rootNode().childNodes():
        if mode == "delete-note" and node.name().startswith("Note"):
            node.remove()
        if mode == "retouch" and node.name() == "Picture":
            # Blue, green, red, alpha: the colour 30, 250, 0.
            node.setPixelData(bytes([0, 250, 30, 255]) * 4, 0, 0, 4, 1)
    doc.refreshProjection()
    doc.saveAs(dst)
    doc.close()
