# Saves a document as a password-protected .doc through a running LibreOffice
# (the command line converter has no way to pass a password).
# Usage: python3 save_encrypted.py SOURCE TARGET PIPE_NAME PASSWORD
import sys, time

import uno
from com.sun.star.beans import PropertyValue
def pv(n, v):
    p = PropertyValue(); p.Name = n; p.Value = v; return p
src, dst, pipe, password = sys.argv[1:5]
ctx = uno.getComponentContext()
resolver = ctx.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", ctx)
for _ in range(100):
    try:
        rctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe); break
    except Exception:
        time.sleep(0.2)
desktop = rctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", rctx)
doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(src), "_blank", 0, (pv("Hidden", True),))
doc.storeToURL(uno.systemPathToFileUrl(dst), (pv("FilterName", "MS Word 97"), pv("Password", password)))
doc.close(True)
try: desktop.terminate()
except Exception: pass
