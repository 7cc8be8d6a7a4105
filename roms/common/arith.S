/* The 32-bit multiply, divide and modulo helpers that gcc calls on a 68000,
   written with 68000 instructions only (the toolchain's own library holds
   68020 encodings). Arguments on the stack, result in d0; d0, d1, a0 and a1
   are free to clobber, everything else is preserved. */

	.text
	.globl	__mulsi3, __udivsi3, __umodsi3, __divsi3, __modsi3

/* a x b, low 32 bits: al x bl + ((ah x bl + al x bh) << 16). */
__mulsi3:
	move.w	4(%sp), %d0		/* ah */
	mulu.w	10(%sp), %d0		/* ah x bl */
	move.w	6(%sp), %d1		/* al */
	mulu.w	8(%sp), %d1		/* al x bh */
	add.w	%d1, %d0
	swap	%d0
	clr.w	%d0
	move.w	6(%sp), %d1
	mulu.w	10(%sp), %d1		/* al x bl */
	add.l	%d1, %d0
	rts

/* Unsigned d0 / d1: quotient in d0, remainder in d1; uses d2 and d3.
   A divisor of zero reaches DIVU and raises the zero-divide exception. */
udivmod:
	cmp.l	#0xFFFF, %d1
	bhi.s	2f
	/* 16-bit divisor: two DIVU steps, high half then low half. */
	move.l	%d0, %d2
	clr.w	%d2
	swap	%d2			/* high half of the dividend */
	divu.w	%d1, %d2		/* d2 = r1:q1 */
	move.l	%d2, %a0
	move.w	%d0, %d2		/* d2 = r1:low half */
	divu.w	%d1, %d2		/* d2 = r:q0 (r1 < divisor: no overflow) */
	move.l	%a0, %d0
	swap	%d0
	move.w	%d2, %d0		/* d0 = q1:q0 */
	clr.w	%d2
	swap	%d2
	move.l	%d2, %d1		/* remainder */
	rts
	/* Wider divisor: shift and subtract, one quotient bit a step. */
2:	moveq	#0, %d2			/* partial remainder */
	moveq	#31, %d3
3:	add.l	%d0, %d0		/* next dividend bit into X */
	addx.l	%d2, %d2
	bcs.s	4f			/* remainder passed 2^32: above the divisor */
	cmp.l	%d1, %d2
	bcs.s	5f
4:	sub.l	%d1, %d2
	addq.l	#1, %d0			/* quotient bit */
5:	dbra	%d3, 3b
	move.l	%d2, %d1
	rts

__udivsi3:
	movem.l	%d2-%d3, -(%sp)
	movem.l	12(%sp), %d0-%d1
	bsr.w	udivmod
	movem.l	(%sp)+, %d2-%d3
	rts

__umodsi3:
	movem.l	%d2-%d3, -(%sp)
	movem.l	12(%sp), %d0-%d1
	bsr.w	udivmod
	move.l	%d1, %d0
	movem.l	(%sp)+, %d2-%d3
	rts

/* Signed: divide the magnitudes; the quotient is negative when the signs
   differ, the remainder takes the dividend's sign (C's truncating division). */
__divsi3:
	movem.l	%d2-%d4, -(%sp)
	movem.l	16(%sp), %d0-%d1
	move.l	%d0, %d4
	eor.l	%d1, %d4		/* bit 31: sign of the quotient */
	tst.l	%d0
	bpl.s	1f
	neg.l	%d0
1:	tst.l	%d1
	bpl.s	2f
	neg.l	%d1
2:	bsr.w	udivmod
	tst.l	%d4
	bpl.s	3f
	neg.l	%d0
3:	movem.l	(%sp)+, %d2-%d4
	rts

__modsi3:
	movem.l	%d2-%d4, -(%sp)
	movem.l	16(%sp), %d0-%d1
	move.l	%d0, %d4		/* bit 31: sign of the remainder */
	tst.l	%d0
	bpl.s	1f
	neg.l	%d0
1:	tst.l	%d1
	bpl.s	2f
	neg.l	%d1
2:	bsr.w	udivmod
	move.l	%d1, %d0
	tst.l	%d4
	bpl.s	3f
	neg.l	%d0
3:	movem.l	(%sp)+, %d2-%d4
	rts
