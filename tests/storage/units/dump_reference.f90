! Writes the lines the debug-dump writers must produce for a fixed set of calls, with gfortran's
! own formatted and list-directed output. Usage: dump_reference OUTPUT
program dump_reference
  implicit none
  character(len=400) :: output
  character(len=30) :: label30
  integer :: i, j, first, last, u
  integer :: ia(2,3), iv(25), irow(15), it(3,2)
  double precision :: ra(2,12), rt(12,1), rv(9)

  call get_command_argument(1, output)
  u = 20
  open(u, file=trim(output), status='replace')

  ! DW2I 'pair', 3, -4
  write(u,*) 'pair', 3, -4
  ! DW2R ' two reals', 1.5, -2.25e-3
  write(u,'(1X,A,2E15.8)') ' two reals', 1.5d0, -2.25d-3
  ! DWCH ' ++ dumping sldb '
  write(u,'(1X,A)') ' ++ dumping sldb '
  ! DWAI 'imat' 2 x 3
  ia = reshape((/ (i, i = 1, 6) /), (/ 2, 3 /))
  write(u,*) 'imat'
  write(u,'(" iarray ",I5," X ",I5)') 2, 3
  do i = 1, 2
    write(u,'(3X,12(I5,1X))') (ia(i,j), j = 1, 3)
  end do
  ! DWAI 'long row' 1 x 15
  irow = (/ (i * 11, i = 1, 15) /)
  write(u,*) 'long row'
  write(u,'(" iarray ",I5," X ",I5)') 1, 15
  write(u,'(3X,12(I5,1X))') (irow(j), j = 1, 15)
  ! DWAR 'rmat' 2 x 12
  ra = reshape((/ (1.5d0 * i, i = 1, 24) /), (/ 2, 12 /))
  write(u,*) 'rmat'
  write(u,'(" array ",I5," X ",I5)') 2, 12
  do i = 1, 2
    write(u,'(3X,10E15.8)') (ra(i,j), j = 1, 12)
  end do
  ! DWTAI 'tlabel' 3 x 2
  it = reshape((/ (i - 3, i = 1, 6) /), (/ 3, 2 /))
  label30 = 'tlabel'
  write(u,*)
  write(u,'(30A1," iarray ",I5," X ",I5," transposed")') (label30(i:i), i = 1, 30), 3, 2
  do j = 1, 2
    write(u,'(3X,12(I5,1X))') (it(i,j), i = 1, 3)
  end do
  ! DWTAR 'trmat' 12 x 1
  rt(:,1) = (/ (-0.25d0 * i, i = 1, 12) /)
  write(u,*) 'trmat'
  write(u,'(" array ",I5," X ",I5,"transposed")') 12, 1
  write(u,'(3X,10E12.5)') (rt(i,1), i = 1, 12)
  ! DWVI 'vec' 25 values
  iv = (/ (i * i, i = 1, 25) /)
  write(u,'(A," to position ",I5)') 'vec', 25
  do first = 1, 25, 10
    last = min(first + 9, 25)
    write(u,'("(",I3,") ",20(I5,1X))') mod(first, 1000), (iv(i), i = first, last)
  end do
  ! DWVR 'rvec' 9 values
  rv = (/ (1.0d0 / i, i = 1, 9) /)
  write(u,*) 'rvec'
  do first = 1, 9, 8
    last = min(first + 7, 9)
    write(u,'("(",I3,") ",20E12.5)') mod(first, 1000), (rv(i), i = first, last)
  end do
  close(u)
end program dump_reference
