# RawAdv.sig - thorough pass for documents and archives
# Looser headers that catch what Raw.sig misses. Their finds go to a
# separate folder.

# PDF anywhere in the sector. Readers accept junk before %PDF- within the
# first KB, and mail or web exports sometimes have it. Also fires on PDFs
# embedded in other files.
Extension : .pdf
Max_File_Size : 134217728
Header : 255044462D
Header_Offset : nn
Reserved : 0
Description : PDF document not at sector start

# gzip with any flag byte (comment, extra field, header CRC)
Extension : .gz
Max_File_Size : 4294967295
Header : 1F8B08
Header_Offset : 1
Reserved : 0
Description : gzip archive other flags

# Any ZIP local file header, for plain ZIP archives and for Office and
# OpenDocument files whose first entry is not the one Raw.sig looks for. The
# ZIP family shares it, so one group gives ZIP, DOCX, XLSX, PPTX, ODT and EPUB
# candidates. Every entry repeats this header, so a ZIP whose entry lands on a
# sector start comes back in pieces, which is why it is thorough only.
Extension : .zip
Max_File_Size : 4294967295
Header : 504B0304
Header_Offset : 1
Reserved : 0
Description : ZIP archive

Extension : .docx
Max_File_Size : 134217728
Header : 504B0304
Header_Offset : 1
Reserved : 0
Description : Word document other layout

Extension : .xlsx
Max_File_Size : 134217728
Header : 504B0304
Header_Offset : 1
Reserved : 0
Description : Excel workbook other layout

Extension : .pptx
Max_File_Size : 536870912
Header : 504B0304
Header_Offset : 1
Reserved : 0
Description : PowerPoint presentation other layout

Extension : .odt
Max_File_Size : 134217728
Header : 504B0304
Header_Offset : 1
Reserved : 0
Description : OpenDocument text other layout

Extension : .epub
Max_File_Size : 134217728
Header : 504B0304
Header_Offset : 1
Reserved : 0
Description : EPUB book other layout

# RTF without the version digit
Extension : .rtf
Max_File_Size : 67108864
Header : 7B5C727466
Header_Offset : 1
Reserved : 0
Description : Rich Text document other version

# tar. Every member header has ustar at byte 257 and members are aligned to
# 512 bytes, so each member comes back as its own piece. Thorough only.
Extension : .tar
Max_File_Size : 4294967295
Header : 7573746172
Header_Offset : 258
Reserved : 0
Description : tar archive member
