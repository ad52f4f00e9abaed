#!/usr/bin/env python3
"""Holds a table open the way another copy of the program does (a read lock on the dBase
open byte), prints "ready", and lets go when a line arrives on stdin."""
import fcntl
import os
import struct
import sys

fd = os.open(sys.argv[1], os.O_RDWR)
# struct flock: l_type, l_whence, l_start, l_len, l_pid
lock = struct.pack('hhqqi', fcntl.F_RDLCK, os.SEEK_SET, 0x7FFFFFFF, 1, 0)
fcntl.fcntl(fd, fcntl.F_OFD_SETLK, lock)
print('ready', flush=True)
sys.stdin.readline()
os.close(fd)
