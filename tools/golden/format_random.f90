! Writes the randomized golden tables of the format engine from a fixed seed
! (a xorshift generator of its own, so the cases do not depend on the
! compiler's random_number):
!   random_output.txt  <item token> {<format>} [<record>]   or  ... {<format>} ERR
!   random_input.txt   <type> <N|Z> {<format>} [<input>] <result>
! in the styles of output.txt and input.txt (r<hex bits> double, i<int32>,
! j<int64>; ERR when gfortran reports an error). Output descriptors: Iw[.m],
! Fw.d, Ew.d[Ee], ESw.d[Ee], ENw.d[Ee], Dw.d, Gw.d[Ee] with kP and SP, widths
! from far too narrow to wide. Values aim at the hard cases: neighbours of
! powers of ten, decimal ties at the printed precision and their neighbours,
! exact binary ties, subnormals, the largest doubles, signed zeros, integers
! at the 32- and 64-bit limits. Input: F, E, D, G (and I) fields of random
! digit strings with signs, points, exponents and blanks, read under BN and BZ
! with implied decimals and scale factors.
module rnd
  implicit none
  integer(8) :: state = 88172645463325252_8
contains
  integer(8) function next64()
    state = ieor(state, ishft(state, 13))
    state = ieor(state, ishft(state, -7))
    state = ieor(state, ishft(state, 17))
    next64 = state
  end function
  ! Uniform integer in lo..hi.
  integer function rint_in(lo, hi)
    integer, intent(in) :: lo, hi
    integer(8) :: u
    u = ishft(next64(), -11)
    rint_in = lo + int(mod(u, int(hi - lo + 1, 8)))
  end function
  logical function chance(pct)
    integer, intent(in) :: pct
    chance = rint_in(1, 100) <= pct
  end function
  function itoa(i) result(s)
    integer, intent(in) :: i
    character(len=:), allocatable :: s
    character(len=16) :: b
    write (b, '(I0)') i
    s = trim(b)
  end function
  function ndigits(n) result(s)
    integer, intent(in) :: n
    character(len=:), allocatable :: s
    integer :: k
    s = ''
    do k = 1, n
      s = s//achar(48 + rint_in(0, 9))
    end do
  end function
  ! A double read from a decimal text (correctly rounded by gfortran).
  double precision function dec(s)
    character(*), intent(in) :: s
    read (s, *) dec
  end function
  ! x moved by n ulps (n may be negative).
  double precision function step(x, n)
    double precision, intent(in) :: x
    integer, intent(in) :: n
    integer :: k
    step = x
    do k = 1, abs(n)
      step = nearest(step, merge(1d0, -1d0, n > 0))
    end do
  end function
end module

program format_random
  use rnd
  implicit none
  integer, parameter :: tab = 10, tin = 11
  integer :: i

  open (tab, file='random_output.txt', status='replace', action='write')
  do i = 1, 3000
    call real_case()
  end do
  do i = 1, 400
    call int_case()
  end do
  close (tab)
  open (tin, file='random_input.txt', status='replace', action='write')
  do i = 1, 500
    call read_case()
  end do
  close (tin)

contains

  ! Writes one output case: the item token, the format, and the record
  ! gfortran writes (or ERR when it refuses the statement).
  subroutine emit_real(fmt, x)
    character(*), intent(in) :: fmt
    double precision, intent(in) :: x
    character(len=16) :: h
    character(len=400) :: probe
    integer :: ios
    write (h, '(Z16.16)') x
    write (probe, fmt, iostat=ios) x
    if (ios /= 0) then
      write (tab, '(A)') 'r'//h//' {'//fmt//'} ERR'
      return
    end if
    write (tab, '(A)', advance='no') 'r'//h//' {'//fmt//'} ['
    write (tab, fmt, advance='no') x
    write (tab, '(A)') ']'
  end subroutine

  subroutine emit_int(fmt, v, wide)
    character(*), intent(in) :: fmt
    integer(8), intent(in) :: v
    logical, intent(in) :: wide
    character(len=24) :: h
    integer :: i4
    write (h, '(I0)') v
    if (wide) then
      write (tab, '(A)', advance='no') 'j'//trim(h)//' {'//fmt//'} ['
      write (tab, fmt, advance='no') v
    else
      i4 = int(v)
      write (tab, '(A)', advance='no') 'i'//trim(h)//' {'//fmt//'} ['
      write (tab, fmt, advance='no') i4
    end if
    write (tab, '(A)') ']'
  end subroutine

  ! A value that makes rounding hard for a field with `sig` significant
  ! digits or `dec_places` decimals.
  double precision function hard_value(sig, dec_places)
    integer, intent(in) :: sig, dec_places
    double precision :: x
    integer :: kind, p, s, j
    kind = rint_in(1, 12)
    select case (kind)
    case (1)  ! any bit pattern of a finite double
      do
        x = transfer(next64(), 1d0)
        if (abs(x) <= huge(x)) exit
      end do
    case (2)  ! a power of ten and its neighbours
      p = rint_in(-30, 30)
      if (chance(20)) p = rint_in(-323, 308)
      x = step(dec('1E'//itoa(p)), rint_in(-3, 3))
    case (3)  ! a decimal tie at sig significant digits, and neighbours
      s = max(1, min(sig, 17))
      p = rint_in(-12, 12)
      if (chance(15)) p = rint_in(-300, 300)
      if (chance(30)) then
        x = dec(repeat('9', s)//'5E'//itoa(p))
      else
        x = dec(achar(48 + rint_in(1, 9))//ndigits(s - 1)//'5E'//itoa(p))
      end if
      x = step(x, rint_in(-1, 1))
    case (4)  ! a decimal tie at the printed decimals
      j = max(0, min(dec_places, 25))
      x = dec(ndigits(rint_in(1, 6))//'.'//ndigits(j)//'5')
      if (chance(30)) x = dec('0.'//ndigits(j)//'5')
      if (chance(20)) x = dec(repeat('9', rint_in(1, 5))//'.'//repeat('9', j)//'5')
      x = step(x, rint_in(-1, 1))
    case (5)  ! exact binary ties: odd / 2**j
      j = rint_in(1, 12)
      x = dble(2*rint_in(0, 5000) + 1)/2d0**j
    case (6)  ! subnormals and the smallest normals
      x = transfer(ishft(next64(), -rint_in(12, 63)), 1d0)
      if (chance(20)) x = step(tiny(1d0), rint_in(-2, 2))
    case (7)  ! the largest doubles
      x = step(huge(1d0), -rint_in(0, 1000))
      if (chance(30)) x = dec('1.797E'//itoa(308 - rint_in(0, 2)))
    case (8)  ! zeros
      x = 0d0
    case (9)  ! short decimals
      x = dble(rint_in(0, 99999))/10d0**rint_in(0, 8)
    case (10)  ! near the G switch points 0.1 and 10**d
      s = max(1, min(sig, 17))
      p = merge(-1, s, chance(50))
      x = step(dec(repeat('9', s)//'5E'//itoa(p - s)), rint_in(-2, 2))
      if (chance(30)) x = step(dec('1E'//itoa(p)), rint_in(-2, 2))
    case (11)  ! integral values
      x = dble(rint_in(0, 2000000000))*10d0**rint_in(0, 12)
    case default  ! random magnitudes with many digits
      x = dec('0.'//ndigits(17)//'E'//itoa(rint_in(-20, 25)))
    end select
    if (chance(50)) x = -x
    hard_value = x
  end function

  ! Digits before the point of x scaled by 10**k (at least 1, at most 40).
  integer function int_digits(x, k)
    double precision, intent(in) :: x
    integer, intent(in) :: k
    if (x == 0d0) then
      int_digits = 1
    else
      int_digits = max(1, min(40, int(floor(log10(abs(x)))) + 1 + k))
    end if
  end function

  subroutine real_case()
    character(len=:), allocatable :: f, pre
    integer :: t, w, d, e, k
    double precision :: x
    t = rint_in(1, 6)
    pre = '('
    if (chance(10)) pre = pre//'SP,'
    e = 0
    if (chance(35)) e = rint_in(1, 4)
    select case (t)
    case (1)  ! F
      d = rint_in(0, 12)
      if (chance(10)) d = rint_in(13, 25)
      k = 0
      if (chance(25)) k = rint_in(-3, 3)
      x = hard_value(rint_in(1, 17), d + k)
      w = d + 2 + int_digits(x, k) + rint_in(-2, 2)
      if (chance(15)) w = rint_in(1, d + 12)
      if (chance(10)) w = 0
      if (k /= 0) pre = pre//itoa(k)//'P,'
      f = pre//'F'//itoa(w)//'.'//itoa(d)//')'
    case (2, 5)  ! E and D: the scale factor in -d < k <= d + 1
      d = rint_in(0, 17)
      if (chance(5)) d = rint_in(18, 25)
      k = 0
      if (d == 0 .or. chance(30)) k = rint_in(-d + 1, d + 1)
      x = hard_value(merge(d + k, d, k <= 0), d)
      w = d + 5 + max(e, 2) + max(k, 0) + rint_in(-2, 2)
      if (chance(15)) w = rint_in(1, d + 10)
      if (t == 5) e = 0
      if (k /= 0) pre = pre//itoa(k)//'P,'
      f = pre//merge('E', 'D', t == 2)//itoa(w)//'.'//itoa(d)
      if (e > 0) f = f//'E'//itoa(e)
      f = f//')'
    case (3, 4)  ! ES and EN (scale factors have no effect)
      d = rint_in(0, 17)
      k = 0
      if (chance(15)) k = rint_in(-2, 2)
      x = hard_value(d + merge(1, rint_in(1, 3), t == 3), d)
      w = d + merge(5, 7, t == 3) + max(e, 2) + rint_in(-2, 2)
      if (chance(15)) w = rint_in(1, d + 10)
      if (k /= 0) pre = pre//itoa(k)//'P,'
      f = pre//merge('ES', 'EN', t == 3)//itoa(w)//'.'//itoa(d)
      if (e > 0) f = f//'E'//itoa(e)
      f = f//')'
    case default  ! G
      d = rint_in(1, 17)
      k = 0
      if (chance(25)) k = rint_in(-d + 1, d + 1)
      x = hard_value(d, rint_in(0, d))
      w = d + 6 + max(e, 2) + max(k, 0) + rint_in(-2, 2)
      if (chance(15)) w = rint_in(1, d + 12)
      if (k /= 0) pre = pre//itoa(k)//'P,'
      f = pre//'G'//itoa(w)//'.'//itoa(d)
      if (e > 0) f = f//'E'//itoa(e)
      f = f//')'
    end select
    call emit_real(f, x)
  end subroutine

  subroutine int_case()
    character(len=:), allocatable :: f
    integer(8) :: v
    integer :: w, m
    logical :: wide
    wide = chance(40)
    select case (rint_in(1, 5))
    case (1)
      v = int(rint_in(-1000, 1000), 8)
    case (2)  ! the 32-bit limits
      v = int(huge(1), 8) - rint_in(0, 3)
      if (chance(50)) v = -v - 1
    case (3)  ! the 64-bit limits
      v = huge(1_8) - rint_in(0, 3)
      if (chance(50)) v = -v - 1
      wide = .true.
    case (4)
      v = ishft(next64(), -rint_in(1, 62))
      if (chance(50)) v = -v
    case default
      v = 10_8**rint_in(0, 9) + rint_in(-1, 1)
      if (chance(50)) v = -v
    end select
    if (.not. wide .and. (v > huge(1) .or. v < -huge(1) - 1)) v = mod(v, 2147483647_8)
    w = rint_in(1, 24)
    if (chance(15)) w = 0
    f = '('
    if (chance(10)) f = f//'SP,'
    f = f//'I'//itoa(w)
    if (chance(40)) then
      m = rint_in(0, max(w, 3))
      if (w > 0) m = min(m, w)
      f = f//'.'//itoa(m)
    end if
    f = f//')'
    call emit_int(f, v, wide)
  end subroutine

  ! A random input text for a numeric field.
  function input_text(w) result(s)
    integer, intent(in) :: w
    character(len=:), allocatable :: s
    integer :: n
    s = repeat(' ', rint_in(0, 2))
    if (chance(40)) s = s//merge('-', '+', chance(50))
    n = rint_in(0, 8)
    s = s//ndigits(n)
    if (chance(30)) s = s//' '//ndigits(rint_in(1, 3))
    if (chance(60)) s = s//'.'//ndigits(rint_in(0, 6))
    if (chance(40)) then
      select case (rint_in(1, 6))
      case (1); s = s//'E'
      case (2); s = s//'e'
      case (3); s = s//'D'
      case (4); s = s//'d'
      case (5); s = s//'E+'
      case default; s = s//'E-'
      end select
      if (chance(50) .and. s(len(s):len(s)) /= '+' .and. s(len(s):len(s)) /= '-') &
        s = s//merge('-', '+', chance(50))
      s = s//ndigits(rint_in(0, 3))
      if (chance(10)) s = s//' '
    end if
    if (chance(10)) s = s//' '//ndigits(1)
    if (chance(5)) s(rint_in(1, len(s) + 1):) = 'x'
    s = s//repeat(' ', rint_in(0, 2))
    if (len(s) > w .and. chance(70)) s = s(1:w)
  end function

  subroutine read_case()
    character(len=:), allocatable :: f, s, full
    character(len=16) :: h
    character(len=24) :: ib
    integer :: t, w, d, k, ios, iv
    logical :: z
    double precision :: x
    t = rint_in(1, 9)
    z = chance(50)
    w = rint_in(1, 20)
    d = rint_in(0, 8)
    k = 0
    if (chance(20)) k = rint_in(-3, 3)
    s = input_text(w)
    if (t == 9) then
      f = '(I'//itoa(w)//')'
    else
      f = '('
      if (k /= 0) f = f//itoa(k)//'P,'
      select case (t)
      case (1, 2, 3); f = f//'F'//itoa(w)//'.'//itoa(d)//')'
      case (4, 5); f = f//'E'//itoa(w)//'.'//itoa(d)//')'
      case (6); f = f//'D'//itoa(w)//'.'//itoa(d)//')'
      case (7); f = f//'G'//itoa(w)//'.'//itoa(d)//')'
      case default; f = f//'ES'//itoa(w)//'.'//itoa(d)//')'
      end select
    end if
    full = f
    if (z) full = '(BZ,'//f(2:)
    if (t == 9) then
      iv = 0
      read (s, full, iostat=ios) iv
      if (ios /= 0) then
        write (tin, '(A)') 'I '//merge('Z', 'N', z)//' {'//f//'} ['//s//'] ERR'
      else
        write (ib, '(I0)') iv
        write (tin, '(A)') 'I '//merge('Z', 'N', z)//' {'//f//'} ['//s//'] '//trim(ib)
      end if
      return
    end if
    x = 0
    read (s, full, iostat=ios) x
    if (ios /= 0) then
      write (tin, '(A)') 'R '//merge('Z', 'N', z)//' {'//f//'} ['//s//'] ERR'
    else
      write (h, '(Z16.16)') x
      write (tin, '(A)') 'R '//merge('Z', 'N', z)//' {'//f//'} ['//s//'] '//h
    end if
  end subroutine
end program
