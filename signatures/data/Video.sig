# Video.sig - general video pass
# Strong headers for camera, phone and computer video. When a record matches,
# later records whose header is contained in its header, or that contain it
# at the same offset, start a file from the same sector too (one candidate
# per format). Max 4294967295 is the FAT32 file limit, where cameras split.

# ISO-BMFF and QuickTime. ftyp box at byte 4 with the major brand, one
# record per brand family so each file gets one extension. Unknown brands
# are left to the generic ftyp group in VideoAdv.sig.
# QuickTime brand qt (phones, most camera MOV files)
Extension : .mov
Max_File_Size : 4294967295
Header : 6674797071742020
Header_Offset : 5
Reserved : 0
Description : QuickTime MOV video

# isom and iso2 to iso9 (phones, drones, many encoders)
Extension : .mp4
Max_File_Size : 4294967295
Header : 6674797069736F
Header_Offset : 5
Reserved : 0
Description : MP4 video iso brand

# mp41 and mp42
Extension : .mp4
Max_File_Size : 4294967295
Header : 667479706D7034
Header_Offset : 5
Reserved : 0
Description : MP4 video mp4 brand

# avc1 (action cams)
Extension : .mp4
Max_File_Size : 4294967295
Header : 6674797061766331
Header_Offset : 5
Reserved : 0
Description : MP4 video avc1 brand

# Sony XAVC S
Extension : .mp4
Max_File_Size : 4294967295
Header : 6674797058415643
Header_Offset : 5
Reserved : 0
Description : MP4 video XAVC brand

# Sony MSNV (older Sony cameras and handhelds)
Extension : .mp4
Max_File_Size : 4294967295
Header : 667479704D534E56
Header_Offset : 5
Reserved : 0
Description : MP4 video MSNV brand

# M4V (M4V space, M4VH, M4VP)
Extension : .m4v
Max_File_Size : 4294967295
Header : 667479704D3456
Header_Offset : 5
Reserved : 0
Description : M4V video

# 3GPP and 3GPP2 (older phones, small files, 1 GiB)
Extension : .3gp
Max_File_Size : 1073741824
Header : 66747970336770
Header_Offset : 5
Reserved : 0
Description : 3GP video

Extension : .3g2
Max_File_Size : 1073741824
Header : 66747970336732
Header_Offset : 5
Reserved : 0
Description : 3G2 video

# AVI. RIFF form type AVI at byte 8 followed by the LIST hdrl chunk that
# always comes first. RIFF at byte 0 is shared with WAV and WebP, so unused.
# OpenDML extension chunks (AVIX) do not match.
Extension : .avi
Max_File_Size : 4294967295
Header : 415649204C495354
Header_Offset : 9
Reserved : 0
Description : AVI video

# Matroska and WebM share the EBML magic (the doctype sits at a variable
# place), so one group gives one candidate of each.
Extension : .mkv
Max_File_Size : 4294967295
Header : 1A45DFA3
Header_Offset : 1
Reserved : 0
Description : Matroska video

Extension : .webm
Max_File_Size : 4294967295
Header : 1A45DFA3
Header_Offset : 1
Reserved : 0
Description : WebM video

# ASF header object GUID, shared by WMV and ASF (and WMA, see Audio.sig),
# so one group gives one candidate of each.
Extension : .wmv
Max_File_Size : 4294967295
Header : 3026B2758E66CF11A6D900AA0062CE6C
Header_Offset : 1
Reserved : 0
Description : Windows Media video

Extension : .asf
Max_File_Size : 4294967295
Header : 3026B2758E66CF11A6D900AA0062CE6C
Header_Offset : 1
Reserved : 0
Description : ASF media

# FLV signature and version 1
Extension : .flv
Max_File_Size : 4294967295
Header : 464C5601
Header_Offset : 1
Reserved : 0
Description : Flash video

# MPEG-1 program stream. The 12-byte pack header is followed by the system
# header only in the first pack, so 000001BB at byte 12 marks the file start.
# The bare pack header 000001BA repeats in every pack and is not used.
# MPEG-2 program streams repeat their system header, see VideoAdv.sig.
Extension : .mpg
Max_File_Size : 4294967295
Header : 000001BB
Header_Offset : 13
Reserved : 0
Description : MPEG-1 program stream video

# MXF header partition pack key (professional camcorders). Body and footer
# partitions differ in byte 13, so they do not cut the file.
Extension : .mxf
Max_File_Size : 4294967295
Header : 060E2B34020501010D0102010102
Header_Offset : 1
Reserved : 0
Description : MXF video
