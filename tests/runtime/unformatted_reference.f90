! Writes reference unformatted sequential files as gfortran lays them out.
! Usage: unformatted_reference FOLDER
program unformatted_reference
  implicit none
  character(len=400) :: folder
  integer :: k
  double precision :: block(512)
  real :: points(6), grid(7)
  character(len=5), parameter :: seq(3) = (/ 'a.seq', 'b.seq', 'c.seq' /)

  call get_command_argument(1, folder)

  open(20, file=trim(folder)//'/records.bin', form='unformatted', status='replace')
  write(20) 3, 1.5d0, -2.0d0, 4.25d0
  write(20)
  do k = 1, 512
    block(k) = dble(k) / 8.0d0
  end do
  write(20) block
  write(20) 7, 'ABCDEFGH'
  close(20)

  ! A wave-kinematics file with a three-directional grid: N = 2 points, NX = 2, NY = 2, NZ = 3.
  points = (/ 1.0, 2.0, 3.0, 4.0, 5.0, 6.0 /)
  grid = (/ 0.5, 1.5, -1.0, 1.0, -10.0, -5.0, 0.0 /)
  open(21, file=trim(folder)//'/wave3d.bin', form='unformatted', status='replace')
  write(21) 2, 0.25, 2, 2, 3, 7
  write(21) points
  write(21) grid
  write(21) 99.0
  close(21)

  ! A two-directional grid (NZ = 0): record 3 holds NX + NY values only.
  open(22, file=trim(folder)//'/wave2d.bin', form='unformatted', status='replace')
  write(22) 1, 0.5, 3, 1, 0, 0
  write(22) points(1:3)
  write(22) grid(1:4)
  close(22)

  ! Writing a record makes it the last one. These units stay open: the end of the program closes
  ! them. A file written over a longer one; a file read, rewound, read in part and written on; a
  ! file only read.
  do k = 1, 3
    open(22 + k, file=trim(folder)//'/'//seq(k), form='unformatted', status='replace')
    write(22 + k) 1, 1.5d0
    write(22 + k) 2, 2.5d0, 3.5d0
    write(22 + k) 3
    close(22 + k)
  end do
  open(23, file=trim(folder)//'/'//seq(1), form='unformatted', status='unknown')
  write(23) 9
  open(24, file=trim(folder)//'/'//seq(2), form='unformatted', status='old')
  read(24)
  read(24)
  rewind(24)
  read(24)
  write(24) 8, 8.5d0
  open(25, file=trim(folder)//'/'//seq(3), form='unformatted', status='unknown')
  read(25)
end program unformatted_reference
