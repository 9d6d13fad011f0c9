# VideoAdv.sig - thorough video pass
# Looser headers that catch what Video.sig misses. Their finds go to a
# separate folder. Some of these repeat inside their own files, so long
# videos may come back in several playable pieces.

# Any ISO-BMFF or QuickTime ftyp box at byte 4, whatever the brand. One group
# gives MP4, MOV, M4V and 3GP candidates. Also fires on HEIF, CR3 and M4A.
Extension : .mp4
Max_File_Size : 4294967295
Header : 66747970
Header_Offset : 5
Reserved : 0
Description : MP4 video any brand

Extension : .mov
Max_File_Size : 4294967295
Header : 66747970
Header_Offset : 5
Reserved : 0
Description : QuickTime MOV video any brand

Extension : .m4v
Max_File_Size : 4294967295
Header : 66747970
Header_Offset : 5
Reserved : 0
Description : M4V video any brand

Extension : .3gp
Max_File_Size : 1073741824
Header : 66747970
Header_Offset : 5
Reserved : 0
Description : 3GP video any brand

# Older QuickTime files without ftyp start with a moov, mdat, wide or free
# atom. These atoms also occur inside MP4 and MOV files, and one on a sector
# start cuts that file, hence thorough only.
Extension : .mov
Max_File_Size : 4294967295
Header : 6D6F6F76
Header_Offset : 5
Reserved : 0
Description : QuickTime MOV video moov first

Extension : .mov
Max_File_Size : 4294967295
Header : 6D646174
Header_Offset : 5
Reserved : 0
Description : QuickTime MOV video mdat first

Extension : .mov
Max_File_Size : 4294967295
Header : 77696465
Header_Offset : 5
Reserved : 0
Description : QuickTime MOV video wide first

Extension : .mov
Max_File_Size : 4294967295
Header : 66726565
Header_Offset : 5
Reserved : 0
Description : QuickTime MOV video free first

# AVI form type without the LIST chunk right after
Extension : .avi
Max_File_Size : 4294967295
Header : 41564920
Header_Offset : 9
Reserved : 0
Description : AVI video other layout

# MPEG-2 program stream. Pack header with no stuffing (byte 13 is F8) then the
# system header. DVD-style streams repeat this at every VOBU (every few
# hundred KB), so these files come back in pieces. The bare pack header
# 000001BA is left out because it repeats every 2048-byte pack.
Extension : .mpg
Max_File_Size : 4294967295
Header : F8000001BB
Header_Offset : 14
Reserved : 0
Description : MPEG-2 program stream video

# MPEG transport streams have no file header, only a 1-byte sync every packet.
# These records look for a PAT packet with continuity counter 0, which many
# camcorders write first. PATs recur, so long streams come back in pieces.
# M2TS (AVCHD, 192-byte packets with a 4-byte prefix) is tested from byte 5,
# leaving out the sync byte so that the TS record below cannot join its group.
Extension : .mts
Max_File_Size : 4294967295
Header : 4000100000B0
Header_Offset : 6
Reserved : 0
Description : AVCHD M2TS video

# Plain 188-byte transport stream (dashcams, TV recorders)
Extension : .ts
Max_File_Size : 4294967295
Header : 474000100000B0
Header_Offset : 1
Reserved : 0
Description : MPEG transport stream video

# Streams that start with a service description table instead (PID 0x11,
# table 0x42), as some software muxers write. Same layout as above.
Extension : .mts
Max_File_Size : 4294967295
Header : 4011100042
Header_Offset : 6
Reserved : 0
Description : M2TS video SDT first

Extension : .ts
Max_File_Size : 4294967295
Header : 474011100042
Header_Offset : 1
Reserved : 0
Description : MPEG transport stream video SDT first
