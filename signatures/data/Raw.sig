# Raw.sig - general pass for documents and archives
# When a record matches, later records whose header is contained in its
# header, or that contain it at the same offset, start a file from the same
# sector too. Formats that share one header are consecutive records, so the
# right extension is always among the candidates.

# PDF. %PDF- at byte 0. 128 MiB covers scanned documents.
Extension : .pdf
Max_File_Size : 134217728
Header : 255044462D
Header_Offset : 1
Reserved : 0
Description : PDF document

# OLE2 compound file signature, shared by Word, Excel and PowerPoint 97-2003
# files. One group gives one candidate of each.
Extension : .doc
Max_File_Size : 67108864
Header : D0CF11E0A1B11AE1
Header_Offset : 1
Reserved : 0
Description : Word 97-2003 document

Extension : .xls
Max_File_Size : 67108864
Header : D0CF11E0A1B11AE1
Header_Offset : 1
Reserved : 0
Description : Excel 97-2003 workbook

Extension : .ppt
Max_File_Size : 268435456
Header : D0CF11E0A1B11AE1
Header_Offset : 1
Reserved : 0
Description : PowerPoint 97-2003 presentation

# EPUB and OpenDocument put a stored file named mimetype first with no extra
# field, so its name and content sit at byte 30 of the ZIP local header.
# The bare ZIP local header is in RawAdv.sig, since every entry repeats it
# and one that lands on a sector start cut a real EPUB here.
Extension : .epub
Max_File_Size : 134217728
Header : 6D696D65747970656170706C69636174696F6E2F657075622B7A6970
Header_Offset : 31
Reserved : 0
Description : EPUB book

Extension : .odt
Max_File_Size : 134217728
Header : 6D696D65747970656170706C69636174696F6E2F766E642E6F617369732E6F70656E646F63756D656E742E74657874
Header_Offset : 31
Reserved : 0
Description : OpenDocument text

Extension : .ods
Max_File_Size : 134217728
Header : 6D696D65747970656170706C69636174696F6E2F766E642E6F617369732E6F70656E646F63756D656E742E7370726561647368656574
Header_Offset : 31
Reserved : 0
Description : OpenDocument spreadsheet

Extension : .odp
Max_File_Size : 536870912
Header : 6D696D65747970656170706C69636174696F6E2F766E642E6F617369732E6F70656E646F63756D656E742E70726573656E746174696F6E
Header_Offset : 31
Reserved : 0
Description : OpenDocument presentation

# Office Open XML written with [Content_Types].xml as the first ZIP entry
# (name at byte 30), as Office itself writes. Word, Excel and PowerPoint files
# cannot be told apart here, so one group gives one candidate of each. Files
# that start with any other part (LibreOffice starts with _rels/.rels) come
# from the ZIP group in RawAdv.sig. A record for _rels/.rels was tried and cut
# a real workbook, where it was an inner entry on a sector start, so it is
# left out. [Content_Types].xml can do the same, far less often.
Extension : .docx
Max_File_Size : 134217728
Header : 5B436F6E74656E745F54797065735D2E786D6C
Header_Offset : 31
Reserved : 0
Description : Word document

Extension : .xlsx
Max_File_Size : 134217728
Header : 5B436F6E74656E745F54797065735D2E786D6C
Header_Offset : 31
Reserved : 0
Description : Excel workbook

Extension : .pptx
Max_File_Size : 536870912
Header : 5B436F6E74656E745F54797065735D2E786D6C
Header_Offset : 31
Reserved : 0
Description : PowerPoint presentation

# RAR. Rar! 1A 07 then 00 for version 1.5 to 4 archives, 01 00 for version 5.
Extension : .rar
Max_File_Size : 4294967295
Header : 526172211A0700
Header_Offset : 1
Reserved : 0
Description : RAR archive version 4

Extension : .rar
Max_File_Size : 4294967295
Header : 526172211A070100
Header_Offset : 1
Reserved : 0
Description : RAR archive version 5

# 7z six-byte signature
Extension : .7z
Max_File_Size : 4294967295
Header : 377ABCAF271C
Header_Offset : 1
Reserved : 0
Description : 7z archive

# gzip. ID1 ID2, method 8 (deflate), then the flag byte, either 0 (no stored
# name) or 8 (original name stored). Other flags are in RawAdv.sig.
Extension : .gz
Max_File_Size : 4294967295
Header : 1F8B0800
Header_Offset : 1
Reserved : 0
Description : gzip archive

Extension : .gz
Max_File_Size : 4294967295
Header : 1F8B0808
Header_Offset : 1
Reserved : 0
Description : gzip archive with file name

# RTF. Opening brace, control word rtf and version 1.
Extension : .rtf
Max_File_Size : 67108864
Header : 7B5C72746631
Header_Offset : 1
Reserved : 0
Description : Rich Text document

# SQLite database, 16-byte header string with its terminating zero byte.
Extension : .sqlite
Max_File_Size : 1073741824
Header : 53514C69746520666F726D6174203300
Header_Offset : 1
Reserved : 0
Description : SQLite database
