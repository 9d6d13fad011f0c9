# AudioAdv.sig - thorough audio pass
# Looser headers that catch what Audio.sig misses. Their finds go to a
# separate folder. MPEG audio frames land on sector starts every few hundred
# KB, so MP3 and AAC files without a tag come back in playable pieces.

# ID3v2 tag of any version
Extension : .mp3
Max_File_Size : 268435456
Header : 494433
Header_Offset : 1
Reserved : 0
Description : MP3 audio ID3v2 any version

# MPEG audio layer III frame sync without a tag. FFFB and FFFA are MPEG-1
# without and with CRC, FFF3 and FFF2 are MPEG-2 low sample rates.
Extension : .mp3
Max_File_Size : 268435456
Header : FFFB
Header_Offset : 1
Reserved : 0
Description : MP3 audio MPEG-1 frame

Extension : .mp3
Max_File_Size : 268435456
Header : FFFA
Header_Offset : 1
Reserved : 0
Description : MP3 audio MPEG-1 frame with CRC

Extension : .mp3
Max_File_Size : 268435456
Header : FFF3
Header_Offset : 1
Reserved : 0
Description : MP3 audio MPEG-2 frame

Extension : .mp3
Max_File_Size : 268435456
Header : FFF2
Header_Offset : 1
Reserved : 0
Description : MP3 audio MPEG-2 frame with CRC

# AAC in ADTS frames, MPEG-4 and MPEG-2 ids, no CRC
Extension : .aac
Max_File_Size : 268435456
Header : FFF1
Header_Offset : 1
Reserved : 0
Description : AAC audio ADTS

Extension : .aac
Max_File_Size : 268435456
Header : FFF9
Header_Offset : 1
Reserved : 0
Description : AAC audio ADTS MPEG-2

# Ogg beginning-of-stream page with any granule value. Pages without the BOS
# flag are left out, they carry no codec setup and recur every few KB.
Extension : .ogg
Max_File_Size : 268435456
Header : 4F6767530002
Header_Offset : 1
Reserved : 0
Description : Ogg audio other first page

# Any ftyp brand. Phone recorders write M4A files with mp42, isom or 3gp4
# brands. Also fires on every MP4 video, which then plays as audio.
Extension : .m4a
Max_File_Size : 268435456
Header : 66747970
Header_Offset : 5
Reserved : 0
Description : M4A audio any brand
