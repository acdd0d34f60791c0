! Writes the records that formats give for lists of items, as gfortran prints them: the reference
! for the printed echoes of steps, controls and contact controls.
! Usage: expected_lines SCRIPT OUTPUT. Script lines: "F format", "I value", "R value",
! "C nnn text" (an item of nnn characters), "W" writes the record(s) with the items so far.
program expected_lines
  implicit none
  character(len=2000) :: line, fmt
  character(len=200) :: cv(64)
  integer :: iv(64), ln(64), ni, nr, nc, k, ios, u, s
  double precision :: rv(64)
  character(len=64) :: sig
  character(len=400) :: script, output

  call get_command_argument(1, script)
  call get_command_argument(2, output)
  open(10, file=trim(script), status='old')
  u = 20
  open(u, file=trim(output), status='replace')
  ni = 0; nr = 0; nc = 0; sig = ''; s = 0
  do
    read(10, '(A)', iostat=ios) line
    if (ios /= 0) exit
    select case (line(1:1))
    case ('F')
      fmt = line(3:len_trim(line))
    case ('I')
      ni = ni + 1; s = s + 1; sig(s:s) = 'I'
      read(line(3:), *) iv(ni)
    case ('R')
      nr = nr + 1; s = s + 1; sig(s:s) = 'R'
      read(line(3:), *) rv(nr)
    case ('C')
      nc = nc + 1; s = s + 1; sig(s:s) = 'C'
      read(line(3:5), '(I3)') ln(nc)
      cv(nc) = line(7:7 + ln(nc) - 1)
    case ('W')
      call emit()
      ni = 0; nr = 0; nc = 0; sig = ''; s = 0
    end select
  end do
  close(u)
contains
  subroutine emit()
    if (s == 0) then
      write(u, fmt)
    else if (verify(sig(1:s), 'C') == 0) then
      write(u, fmt) (cv(k)(1:ln(k)), k = 1, nc)
    else if (verify(sig(1:s), 'R') == 0) then
      write(u, fmt) (rv(k), k = 1, nr)
    else if (verify(sig(1:s), 'I') == 0) then
      write(u, fmt) (iv(k), k = 1, ni)
    else
      select case (sig(1:s))
      case ('CI')
        write(u, fmt) cv(1)(1:ln(1)), iv(1)
      case ('CR')
        write(u, fmt) cv(1)(1:ln(1)), rv(1)
      case ('CCI')
        write(u, fmt) cv(1)(1:ln(1)), cv(2)(1:ln(2)), iv(1)
      case ('CCR')
        write(u, fmt) cv(1)(1:ln(1)), cv(2)(1:ln(2)), rv(1)
      case ('CCCR')
        write(u, fmt) cv(1)(1:ln(1)), cv(2)(1:ln(2)), cv(3)(1:ln(3)), rv(1)
      case ('CRRRR')
        write(u, fmt) cv(1)(1:ln(1)), rv(1), rv(2), rv(3), rv(4)
      case ('RRIRCC')
        write(u, fmt) rv(1), rv(2), iv(1), rv(3), cv(1)(1:ln(1)), cv(2)(1:ln(2))
      case default
        write(*, *) 'expected_lines: no write for items ', sig(1:s)
        stop 1
      end select
    end if
  end subroutine emit
end program expected_lines
