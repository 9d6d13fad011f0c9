#!/bin/sh
# Makes the office samples the file-mode tests put on their card: Word and
# PowerPoint 97-2003, an OpenDocument presentation, and Office Open XML as
# LibreOffice writes it (its first entry is not [Content_Types].xml).
# Run by hand, once; the files are committed, so the tests need no office suite.
# Needs the Debian packages libreoffice-writer-nogui and libreoffice-impress-nogui.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1700000000

ns='xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.2"'

cat > "$work/letter.fodt" <<END
<?xml version="1.0" encoding="UTF-8"?>
<office:document $ns office:mimetype="application/vnd.oasis.opendocument.text">
 <office:body><office:text>
  <text:h text:outline-level="1">Salvex</text:h>
  <text:p>A page of text for a recovery test.</text:p>
  <text:p>Card one has 65536 sectors, card two 131072.</text:p>
 </office:text></office:body>
</office:document>
END

cat > "$work/slides.fodp" <<END
<?xml version="1.0" encoding="UTF-8"?>
<office:document $ns office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:body><office:presentation>
  <draw:page draw:name="One">
   <draw:frame svg:x="0.2cm" svg:y="0.1cm" svg:width="3.6cm" svg:height="0.8cm">
    <draw:text-box><text:p>Salvex slide</text:p></draw:text-box>
   </draw:frame>
  </draw:page>
 </office:presentation></office:body>
</office:document>
END

# No preview picture inside: it would make the files a hundred times larger.
mkdir -p "$work/profile/user"
cat > "$work/profile/user/registrymodifications.xcu" <<END
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema">
 <item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="GenerateThumbnail" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
END

# to: what soffice makes; name: what the tests call it.
convert() {
    soffice --headless "-env:UserInstallation=file://$work/profile" --convert-to "$2" --outdir "$work/out" \
        "$work/$1" 2>&1 | grep -v -e javaldx -e '^convert ' >&2 || true
    mv "$work/out/${1%.*}.${2%%:*}" "$3"
}
convert letter.fodt doc letter.doc
convert letter.fodt docx letter-lo.docx
# PowerPoint 97-2003 always holds an uncompressed preview of the first slide: a
# page of 4 x 1 cm keeps it small. Impress fills in its own page layout first.
convert slides.fodp fodp "$work/full.fodp"
sed 's/fo:page-width="28cm" fo:page-height="15.75cm"/fo:page-width="4cm" fo:page-height="1cm"/' "$work/full.fodp" \
    > "$work/small.fodp"
grep -q 'fo:page-width="4cm"' "$work/small.fodp"
convert small.fodp ppt slides.ppt
convert small.fodp odp slides.odp
convert small.fodp pptx slides-lo.pptx
ls -l letter.doc letter-lo.docx slides.ppt slides.odp slides-lo.pptx
